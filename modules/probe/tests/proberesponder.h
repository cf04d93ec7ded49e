#pragma once

// A probe server stand-in on 127.0.0.1: accepts one connection at a time,
// reads one frame (header and announced body), records it, then answers as
// scripted. Every wait is bounded so a broken client cannot hang the test.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "testsupport/loopback.h"

class ProbeResponder
{
public:
    enum class After { Close, Hold };

    ProbeResponder(std::string reply, After after = After::Close) : m_reply(std::move(reply)), m_after(after)
    {
        m_listener = bindLoopback(SOCK_STREAM, m_port);
        ::listen(m_listener, 4);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ProbeResponder()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }

    int Port() const { return m_port; }
    void SetReply(std::string reply)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = std::move(reply);
    }
    std::vector<std::string> Frames() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }

private:
    // Waits for readable data in slices so that stopping is seen.
    bool Readable(int handle, int slices = 500)
    {
        pollfd poller{handle, POLLIN, 0};
        for (int i = 0; i < slices && !m_stop; ++i)
            if (::poll(&poller, 1, 10) > 0)
                return true;
        return false;
    }
    std::string Read(int handle, std::size_t count)
    {
        std::string bytes;
        char buffer[4096];
        while (bytes.size() < count && Readable(handle)) {
            const ssize_t got = ::recv(handle, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
            if (got <= 0)
                break;
            bytes.append(buffer, std::size_t(got));
        }
        return bytes;
    }
    void Serve()
    {
        while (!m_stop) {
            if (!Readable(m_listener, 1))
                continue;
            const int peer = ::accept(m_listener, nullptr, nullptr);
            if (peer < 0)
                continue;
            std::string frame = Read(peer, 6);
            if (frame.size() == 6)
                frame += Read(peer, std::size_t(std::atoi(frame.substr(2).c_str())));
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_frames.push_back(frame);
                reply = m_reply;
            }
            for (std::size_t sent = 0; sent < reply.size();) {
                const ssize_t done = ::send(peer, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (done <= 0)
                    break;
                sent += std::size_t(done);
            }
            if (m_after == After::Hold)
                Read(peer, 1); // until the client gives up and closes
            ::close(peer);
        }
    }

    std::string m_reply;
    After m_after;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_frames;
    std::thread m_thread;
};
