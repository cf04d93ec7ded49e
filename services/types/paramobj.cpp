#include "services/types/paramobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_PARAMOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.ParamObj", "ParamObj", fieldTable};

} // namespace

ParamObj::~ParamObj() = default;

const RecordLayout &ParamObj::recordLayout()
{
    return typeLayout;
}
