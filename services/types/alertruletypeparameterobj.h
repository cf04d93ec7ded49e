#pragma once

#include "services/types/alerttypeparameterfields.h"

// One parameter of an alert rule's kind.
class KEEL_EXPORT AlertRuleTypeParameterObj : public MtxRecordType<AlertRuleTypeParameterObj>
{
public:
    enum Field { KEEL_ALERTTYPEPARAMETER_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertRuleTypeParameterObj() override;
    static const RecordLayout &recordLayout();
};
