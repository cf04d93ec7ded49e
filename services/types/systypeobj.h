#pragma once

#include "services/types/recordfields.h"

// One node of the system type tree. It keeps the base clone and reads
// nothing from a reply: it only ever arrives as the node of a tree.
#define KEEL_SYSTYPEOBJ_FIELDS(F) \
    F(No, 64) F(NodeName, 64) F(ParentNo, 64) F(Description, 128)

class KEEL_EXPORT SysTypeObj : public MtxRecordType<SysTypeObj>
{
public:
    enum Field { KEEL_SYSTYPEOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~SysTypeObj() override;
    static const RecordLayout &recordLayout();
};
