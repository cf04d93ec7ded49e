#pragma once

#include <string_view>

namespace Internal {

// Writes bytes to fileName inside the folder named by KEELMON_DUMP_DIR, mode
// 0600 (a login request holds a password). Does nothing when the variable is
// unset or empty; a dump that cannot be written is skipped silently, since it
// is only a diagnostic aid.
void writeDebugDump(const char *fileName, std::string_view bytes);

} // namespace Internal
