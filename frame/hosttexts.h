#pragma once

#include <QString>

#include "orb/wire/keelexport.h"

class CNamesTable;

// The host's own table: the texts of its own windows (lock screens, password
// dialog, status bar panes) with their English counterparts, for the English
// version. The Chinese texts are the ones the windows show as written.
KEEL_EXPORT const CNamesTable &HostTexts();

// chinese (UTF-8) in the language chosen at login: the text itself in the
// Chinese version (or before any login), its English counterpart otherwise.
KEEL_EXPORT QString HostText(const char *chinese);
