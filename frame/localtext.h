#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "orb/wire/keelexport.h"

// The one crossing between text in the code page (profile files, wire
// objects) and text shown by Qt.
KEEL_EXPORT QString fromLocal(std::string_view local);
KEEL_EXPORT std::string toLocal(const QString &text);
