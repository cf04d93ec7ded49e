#pragma once

#include "services/types/recordfields.h"

// A function module to which rights are granted. It keeps the base clone,
// which copies only the base fields.
#define KEEL_FUNCTIONMODULEOBJ_FIELDS(F) \
    F(Code, 64) F(AllName, 64) F(ParentCode, 64)

class KEEL_EXPORT FunctionModuleObj : public MtxRecordType<FunctionModuleObj>
{
public:
    enum Field { KEEL_FUNCTIONMODULEOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~FunctionModuleObj() override;
    static const RecordLayout &recordLayout();
};
