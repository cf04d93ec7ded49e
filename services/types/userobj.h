#pragma once

#include "services/types/recordfields.h"

// A user account; password and encrypt code travel as plain text.
#define KEEL_USEROBJ_FIELDS(F) \
    F(LoginName, 64) F(AllName, 64) F(Password, 64) F(EncryptCode, 64) F(RoleName, 64) \
    F(DepartmentID, 37)

class KEEL_EXPORT UserObj : public MtxRecordType<UserObj>
{
public:
    enum Field { KEEL_USEROBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~UserObj() override;
    static const RecordLayout &recordLayout();
};
