#pragma once

#include "services/types/recordfields.h"

// One entity type of the local catalogue: which kind code its devices carry
// and which monitor kinds they allow ("AuthenticMonitor", no length limit).
#define KEEL_ENTITYOBJ_FIELDS(F) \
    F(Id, 64) F(Name, 64) F(parentid, 64) F(type, 64) F(des, 64) F(AuthenticMonitor, 0)

class KEEL_EXPORT EntityObj : public MtxRecordType<EntityObj>
{
public:
    enum Field { KEEL_ENTITYOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~EntityObj() override;
    static const RecordLayout &recordLayout();
};
