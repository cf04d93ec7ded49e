#include "fuzz/scratchfolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <unistd.h>

ScratchFolder::ScratchFolder()
{
    std::string base = "/dev/shm";
    if (::access(base.c_str(), W_OK) != 0) {
        const char *temporary = std::getenv("TMPDIR");
        base = temporary && *temporary ? temporary : "/tmp";
    }
    std::string pattern = base + "/keelmon-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        throw std::runtime_error("cannot create a scratch folder in " + base);
    m_path = name.data();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
