#pragma once

#include "orb/wire/mtxarray.h"
#include "services/types/recordfields.h"

// The three state conditions of a monitor. Each of "Error", "Warning" and
// "Normal" holds an expression over clause numbers ("1#and#2"); the clauses
// themselves (ExpressionParamItemObj items) are in the array of the same
// rank: the first array holds the error clauses, the second the warning
// clauses, the third the normal clauses. All three arrays travel as
// "MtxArray" and are told apart by their order.
#define KEEL_STATECONDITIONOBJ_FIELDS(F) F(Error, 64) F(Warning, 64) F(Normal, 64)

class KEEL_EXPORT StateConditionObj : public MtxRecordType<StateConditionObj>
{
public:
    enum Field { KEEL_STATECONDITIONOBJ_FIELDS(KEEL_RECORD_ENUM) };
    static constexpr std::size_t ArrayCount = 3;

    ~StateConditionObj() override;
    static const RecordLayout &recordLayout();

    // index 0..2, in wire order.
    MtxArray &array(std::size_t index);
    const MtxArray &array(std::size_t index) const;

    // The clause array that belongs to a condition field (Error -> first array).
    MtxArray &items(Field condition) { return array(condition); }
    const MtxArray &items(Field condition) const { return array(condition); }
    MtxArray &errorItems() { return array(Error); }
    MtxArray &warningItems() { return array(Warning); }
    MtxArray &normalItems() { return array(Normal); }
};
