#pragma once

#include "services/types/recordfields.h"

// An alert rule and the scope of elements it watches.
#define KEEL_ALERTRULEOBJ_FIELDS(F) \
    F(RuleID, 37) F(RuleName, 64) F(AddDateTime, 32) F(Scope, 1024) F(ScopeName, 64)

class KEEL_EXPORT AlertRuleObj : public MtxRecordType<AlertRuleObj>
{
public:
    enum Field { KEEL_ALERTRULEOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertRuleObj() override;
    static const RecordLayout &recordLayout();
};
