#pragma once

#include <QString>

#include "orb/wire/keelexport.h"

// New identifiers of elements, monitors, rules and cells: a random UUID as 36
// characters of text without braces ("xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx"),
// which fits the 37-byte identifier fields of the wire records.
namespace Identifiers {

inline constexpr int Length = 36;

KEEL_EXPORT QString NewId();
// True for text of that shape (hexadecimal digits of either case).
KEEL_EXPORT bool IsId(const QString &text);

} // namespace Identifiers
