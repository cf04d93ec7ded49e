#pragma once

#include "services/types/recordfields.h"

// One clause of a state condition: value name, comparison operator, value.
// The operator is written through the operator table (">" as "&gt;" and so
// on); the reader gets the plain operator back.
//
// The enumerator for the element "operator" is Operator, since the element
// name is a C++ keyword.
class KEEL_EXPORT ExpressionParamItemObj : public MtxRecordType<ExpressionParamItemObj>
{
public:
    enum Field { itemId, paraName, Operator, paraValue };

    ~ExpressionParamItemObj() override;
    static const RecordLayout &recordLayout();
};
