#pragma once

#include <string>

// A fresh folder for one fuzz process, in /dev/shm when the machine has it
// (synced writes then cost nothing) and the temporary folder otherwise;
// removed with its content when the process ends normally.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};
