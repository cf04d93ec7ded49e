#pragma once

#include "services/types/alerttypeparameterfields.h"

// One parameter of an alert rule's send type.
class KEEL_EXPORT AlertSendTypeParameterObj : public MtxRecordType<AlertSendTypeParameterObj>
{
public:
    enum Field { KEEL_ALERTTYPEPARAMETER_FIELDS(KEEL_RECORD_ENUM) };

    ~AlertSendTypeParameterObj() override;
    static const RecordLayout &recordLayout();
};
