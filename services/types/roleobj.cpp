#include "services/types/roleobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ROLEOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.Security.RoleObj", "RoleObj", fieldTable};

} // namespace

RoleObj::~RoleObj() = default;

const RecordLayout &RoleObj::recordLayout()
{
    return typeLayout;
}
