#include "services/types/functionmoduleobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_FUNCTIONMODULEOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.Security.FunctionModuleObj", "FunctionModuleObj",
                                  fieldTable, {}, RecordLayout::Clone::BaseOnly};

} // namespace

FunctionModuleObj::~FunctionModuleObj() = default;

const RecordLayout &FunctionModuleObj::recordLayout()
{
    return typeLayout;
}
