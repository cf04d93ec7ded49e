#include "services/types/entityobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ENTITYOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.EntityObj", "EntityObj", fieldTable};

} // namespace

EntityObj::~EntityObj() = default;

const RecordLayout &EntityObj::recordLayout()
{
    return typeLayout;
}
