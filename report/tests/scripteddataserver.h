#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A data server that follows a script, on a loopback port: for each accepted
// connection it reads one request frame, then sends the pieces of the next
// script with pauses between them, and then closes or keeps silent.
class ScriptedDataServer
{
public:
    struct Piece
    {
        std::string bytes;
        std::chrono::milliseconds pauseBefore{0};
    };
    struct Script
    {
        std::vector<Piece> pieces;
        // Keep the connection open after the last piece until the server stops.
        bool holdOpen = false;
    };

    ScriptedDataServer();
    ~ScriptedDataServer();

    int port() const { return m_port; }
    void add(Script script);
    // A reply sent in one piece.
    void addReply(std::string reply) { add(Script{{Piece{std::move(reply)}}}); }
    // Requests received so far, as bytes.
    std::vector<std::string> requests() const;

private:
    void run();
    void serve(int fd);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::deque<Script> m_scripts;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
