#pragma once

#include "services/types/recordfields.h"

// A role to which function-module rights are granted.
#define KEEL_ROLEOBJ_FIELDS(F) \
    F(Code, 64) F(RoleName, 64)

class KEEL_EXPORT RoleObj : public MtxRecordType<RoleObj>
{
public:
    enum Field { KEEL_ROLEOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~RoleObj() override;
    static const RecordLayout &recordLayout();
};
