#include "services/types/departmentobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_DEPARTMENTOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.Security.DepartmentObj", "DepartmentObj",
                                  fieldTable, {}, RecordLayout::Clone::BaseOnly};

} // namespace

DepartmentObj::~DepartmentObj() = default;

const RecordLayout &DepartmentObj::recordLayout()
{
    return typeLayout;
}
