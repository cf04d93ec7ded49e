#pragma once

#include "services/types/recordfields.h"

// The settings of an alert rule: kind, send type, level and target.
#define KEEL_ALERTRULEPARAMETEROBJ_FIELDS(F) \
    F(RuleID, 37) F(RuleType, 64) F(SendType, 64) F(AlertLevel, 64) F(Enabled, 64) \
    F(AdvanceSettingType, 64) F(Objective, 64)

class KEEL_EXPORT AlertRuleParameterObj : public MtxRecordType<AlertRuleParameterObj>
{
public:
    enum Field { KEEL_ALERTRULEPARAMETEROBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertRuleParameterObj() override;
    static const RecordLayout &recordLayout();
};
