#pragma once

#include <QString>

class MtxArray;

// The named parameters (ParamObj items) of an element or a monitor.
namespace ParamList {

// The value stored under name; found (when given) tells whether there is one.
QString Value(const MtxArray &params, const QString &name, bool *found = nullptr);
// Sets the value of the parameter name, adding it when there is none; other
// parameters stay. False when the value is longer than its field.
bool Set(MtxArray &params, const QString &name, const QString &value);

} // namespace ParamList
