#pragma once

#include "services/types/recordfields.h"

// One named parameter value of an element or a monitor.
#define KEEL_PARAMOBJ_FIELDS(F) \
    F(ParamName, 64) F(ParamValue, 128)

class KEEL_EXPORT ParamObj : public MtxRecordType<ParamObj>
{
public:
    enum Field { KEEL_PARAMOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~ParamObj() override;
    static const RecordLayout &recordLayout();
};
