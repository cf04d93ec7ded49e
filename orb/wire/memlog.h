#pragma once

#include <mutex>
#include <string>

#include "orb/wire/keelexport.h"

// Appends time-stamped lines to the memory error log, "MemLog/MemErro.log"
// below the current directory unless another path is given.
class KEEL_EXPORT MemLog
{
public:
    explicit MemLog(std::string path = "MemLog/MemErro.log");

    // "2004Y-5M-7D 9H-3M-12S text\n"; creates the folder when missing and
    // does nothing when the file cannot be opened.
    void write(const char *text);
    const std::string &path() const { return m_path; }

    // The process-wide log used by queues that are given none.
    static MemLog &instance();

private:
    std::mutex m_lock;
    std::string m_path;
};
