#pragma once

#include "services/types/recordfields.h"

// One entry of the alert log.
#define KEEL_ALERTLOGOBJ_FIELDS(F) \
    F(AlertLogID, 37) F(AlertRuleID, 37) F(ManagerName, 64) F(AlertDateTime, 32) F(IfSended, 64) \
    F(RuleName, 64) F(Objective, 64) F(RuleType, 64) F(IfSucceed, 64) F(Remark, 64) \
    F(MonitorId, 37) F(Content, 1024)

class KEEL_EXPORT AlertLogObj : public MtxRecordType<AlertLogObj>
{
public:
    enum Field { KEEL_ALERTLOGOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertLogObj() override;
    static const RecordLayout &recordLayout();
};
