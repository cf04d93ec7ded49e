#pragma once

#include "services/types/recordfields.h"

// One control of an entity property form. "ControlType" is read but never
// written; "DefaultVlaue" is the name used everywhere.
#define KEEL_CELLOBJ_FIELDS(F) \
    F(Id, 64) F(ShowText, 64) F(Description, 128) F(ControlName, 64) \
    F(ControlType, 64, RecordField::ReadOnly) F(DefaultVlaue, 64) F(AllowNull, 16) \
    F(ControlHeight, 64) F(ControlWidth, 64) F(DataLength, 64) F(IsReadOnly, 16) \
    F(IsDynamicListProperty, 16) F(LibraryId, 64)

class KEEL_EXPORT CellObj : public MtxRecordType<CellObj>
{
public:
    enum Field { KEEL_CELLOBJ_FIELDS(KEEL_RECORD_ENUM) };

    ~CellObj() override;
    static const RecordLayout &recordLayout();
};
