#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// One exchange with the data server: connect, send one request frame, collect
// the reply until it ends with "</end>". Blocking; the report window runs it
// on a worker thread. Every wait is bounded by the limits.
class CDataChannel
{
public:
    struct Limits
    {
        std::chrono::milliseconds connectTimeout{5000};
        // The whole reply must have arrived by then.
        std::chrono::milliseconds deadline{30000};
        std::size_t cap = 256u * 1024 * 1024;
    };

    enum class Outcome { Complete, ConnectFailed, SendFailed, Incomplete, TimedOut, TooLarge };

    struct Result
    {
        Outcome outcome = Outcome::ConnectFailed;
        std::string reply;
        // What failed, in words, for anything but Complete.
        std::string error;
        bool Complete() const { return outcome == Outcome::Complete; }
    };

    static Result Exchange(const std::string &host, int port, const std::string &request, const Limits &limits);
};
