#pragma once

#include "services/types/recordfields.h"

// A department; the node record of the department tree. It keeps the base
// clone, which copies only the base fields.
#define KEEL_DEPARTMENTOBJ_FIELDS(F) \
    F(ID, 37) F(AllName, 64) F(ParentID, 37) F(Description, 64)

class KEEL_EXPORT DepartmentObj : public MtxRecordType<DepartmentObj>
{
public:
    enum Field { KEEL_DEPARTMENTOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~DepartmentObj() override;
    static const RecordLayout &recordLayout();
};
