#pragma once

#include "orb/wire/mtxarray.h"
#include "services/types/recordfields.h"

// One element of the inventory: a group, a device or a monitor, with its
// parameters (ParamObj items) in the embedded array.
#define KEEL_ELEMENTOBJ_FIELDS(F) \
    F(SEID, 37) F(ID, 37) F(PID, 37) F(Text, 128) F(Type, 16) F(LastState, 16) \
    F(LastChangeStateTime, 32) F(LastMonitorTime, 32) F(Entity_IpAddress, 64) \
    F(Monitor_Type, 16) F(Monitor_Description, 512) F(MStatus, 16) F(MSTime, 32) F(METime, 32) \
    F(AStatus, 16) F(ASTime, 32) F(AETime, 32)

class KEEL_EXPORT ElementObj : public MtxRecordType<ElementObj>
{
public:
    enum Field { KEEL_ELEMENTOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~ElementObj() override;
    static const RecordLayout &recordLayout();

    // The parameters (ParamObj items, or any wire object the caller puts there).
    MtxArray &params();
    const MtxArray &params() const;
};
