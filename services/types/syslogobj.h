#pragma once

#include "services/types/recordfields.h"

// One entry of the operation log.
#define KEEL_SYSLOGOBJ_FIELDS(F) \
    F(ID, 37) F(Type, 64) F(Date, 64) F(User, 64) F(Title, 64) F(Description, 64)

class KEEL_EXPORT SysLogObj : public MtxRecordType<SysLogObj>
{
public:
    enum Field { KEEL_SYSLOGOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~SysLogObj() override;
    static const RecordLayout &recordLayout();
};
