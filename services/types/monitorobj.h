#pragma once

#include "orb/wire/mtxarray.h"
#include "services/types/recordfields.h"
#include "services/types/stateconditionobj.h"

// A monitor run against one device: its parameters (ParamObj items) and the
// conditions that decide its state.
#define KEEL_MONITOROBJ_FIELDS(F) \
    F(Id, 37) F(seid, 37) F(ParentId, 37) F(MonitorType, 16) F(Text, 128) F(MStatus, 16) \
    F(MSTime, 32) F(METime, 32) F(AStatus, 16) F(ASTime, 32) F(AETime, 32)

class KEEL_EXPORT MonitorObj : public MtxRecordType<MonitorObj>
{
public:
    enum Field { KEEL_MONITOROBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~MonitorObj() override;
    static const RecordLayout &recordLayout();

    MtxArray &params();
    const MtxArray &params() const;
    StateConditionObj &condition();
    const StateConditionObj &condition() const;
};
