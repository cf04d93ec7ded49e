#pragma once

#include <vector>

#include <QString>

#include "modules/probe/monitorlibrary.h"
#include "services/types/stateconditionobj.h"

// The two forms of a state condition. The display text is a row of clauses,
// "[label operator value]", each after the first preceded by "and " or "or ":
//     [CPU使用率 > 90]and [内存使用率 >= 80]
// The stored form is one ExpressionParamItemObj per clause (its number, the
// return value's Name, the operator, the value) and an expression joining the
// clause numbers: "1#and#2".
namespace ConditionText {

// The operators offered, in list order.
const std::vector<QString> &Operators();

// Parses text into condition's items and expression field (Error, Warning or
// Normal), replacing what was there; an empty text clears the condition.
// Nothing is changed and a message naming box is returned when the text
// cannot be stored as a condition that can hold: a clause without connector,
// a label that is no return value, a missing "]" or operator, a value or an
// expression longer than its field, or text the wire cannot carry.
QString Parse(const QString &text, const std::vector<ReturnValue> &returns, StateConditionObj &condition,
              StateConditionObj::Field field, const QString &box);

// The display text of a stored condition, which Parse reads back to the
// same items.
QString Render(const StateConditionObj &condition, StateConditionObj::Field field,
               const std::vector<ReturnValue> &returns);

// One clause as the condition dialog appends it: connector ("and", "or" or
// empty), then "[label operator value]".
QString Clause(const QString &connector, const QString &label, const QString &op, const QString &value);

} // namespace ConditionText
