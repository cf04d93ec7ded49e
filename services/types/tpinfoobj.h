#pragma once

#include "services/types/recordfields.h"

// One item placed on a topology picture; coordinates and sizes travel as
// text, and "Type" has no length limit.
#define KEEL_TPINFOOBJ_FIELDS(F) \
    F(ID, 37) F(PID, 37) F(MID, 37) F(Image, 128) F(X, 37) F(Y, 37) F(W, 37) F(H, 37) F(Type, 0)

class KEEL_EXPORT TPInfoObj : public MtxRecordType<TPInfoObj>
{
public:
    enum Field { KEEL_TPINFOOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~TPInfoObj() override;
    static const RecordLayout &recordLayout();
};
