// The profile-file reader on any file content (Keelsys.ini as a user or
// another program left it): reading never fails, and a key written reads
// back with the value written while the other keys keep theirs.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/fuzzcheck.h"
#include "fuzz/scratchfolder.h"
#include "orb/profile/profilefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static ScratchFolder folder;
    const std::string path = folder.file("Keelsys.ini");
    const std::string content(reinterpret_cast<const char *>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;

    ProfileFile profile(path);
    const std::string address = profile.readString("SYS", "mainServerIP", "0");
    const bool hadPort = profile.contains("SYS", "ProServerPort");
    profile.readInt("SYS", "ProServerPort", 8899);
    const std::string module = profile.readString("SYSTEMMODULE", "1");

    requireThat(profile.writeInt("SYS", "ProServerPort", 8900), "profile write failed", content);
    requireThat(profile.readInt("SYS", "ProServerPort", 0) == 8900, "a written key does not read back", content);
    requireThat(profile.writeString("StatView", "MonitorType", "12"), "profile write failed", content);
    requireThat(profile.readString("StatView", "MonitorType") == "12", "a key of a new section does not read back",
                content);
    requireThat(profile.readString("SYS", "mainServerIP", "0") == address, "a write changed another key", content);
    requireThat(profile.readString("SYSTEMMODULE", "1") == module, "a write changed another section", content);
    requireThat(!hadPort || profile.contains("SYS", "ProServerPort"), "a write lost its own key", content);
    return 0;
}
