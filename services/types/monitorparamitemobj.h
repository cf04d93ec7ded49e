#pragma once

#include "services/types/recordfields.h"

// One value returned by a monitor, with its unit.
#define KEEL_MONITORPARAMITEMOBJ_FIELDS(F) \
    F(name, 64) F(value, 64) F(unit, 16)

class KEEL_EXPORT MonitorParamItemObj : public MtxRecordType<MonitorParamItemObj>
{
public:
    enum Field { KEEL_MONITORPARAMITEMOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~MonitorParamItemObj() override;
    static const RecordLayout &recordLayout();
};
