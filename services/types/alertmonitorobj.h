#pragma once

#include "services/types/recordfields.h"

// Binds a monitor to an alert rule that watches it.
#define KEEL_ALERTMONITOROBJ_FIELDS(F) \
    F(AlertRuleID, 37) F(MonitorId, 37)

class KEEL_EXPORT AlertMonitorObj : public MtxRecordType<AlertMonitorObj>
{
public:
    enum Field { KEEL_ALERTMONITOROBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertMonitorObj() override;
    static const RecordLayout &recordLayout();
};
