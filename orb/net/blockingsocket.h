#pragma once

#include <chrono>

#include <netinet/in.h>
#include <sys/socket.h>

#include "orb/net/blockingsocketexception.h"

class CallControl;

// A thin blocking wrapper over an IPv4 TCP or UDP socket. Every failure
// throws CBlockingSocketException naming the operation; sends and receives
// wait for readiness with a time-out first.
class KEEL_EXPORT CBlockingSocket
{
public:
    CBlockingSocket();
    // Closes a handle that is still open.
    virtual ~CBlockingSocket();
    CBlockingSocket(const CBlockingSocket &) = delete;
    CBlockingSocket &operator=(const CBlockingSocket &) = delete;

    void Create(int type = SOCK_STREAM);
    void CreateDatagram();
    void Bind(const sockaddr_in &address);
    // Up to three attempts in a row; throws "Connect" after the third failure.
    // A non-zero time-out bounds each attempt (zero waits as long as the
    // system does).
    void Connect(const sockaddr_in &address,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds::zero());
    void DisConnect();
    // 0 when there was no socket; 1 when it was closed.
    int Close();
    // Sends what the socket takes at once, waiting up to the time-out for
    // room; returns the count sent, which may be less than length.
    int Send(const char *data, int length, std::chrono::milliseconds timeout);
    // One recv() that waits up to the time-out for data; 0 when the peer
    // closed.
    int Receive(char *buffer, int size, std::chrono::milliseconds timeout);
    // Sets the wait of later receives ahead of time (a pool does this before
    // a connection is needed).
    void SetReceiveTimeout(std::chrono::milliseconds timeout);
    // One sendto(); returns its result and never throws.
    int SendDatagram(const char *data, int length, int flags, const sockaddr_in &address);
    int SetSockOpt(int level, int option, const void *value, socklen_t length);
    static sockaddr_in GetHostByName(const char *host, int port);

    // True when a connected socket is still open and has nothing waiting: the
    // peer has not closed it, reset it, or sent anything unasked.
    bool IsConnectionAlive() const;

    // Ties the socket to a call's control (see CallControl): its waits are
    // cut to the call's time left, and cancelling the call shuts it down. A
    // socket made while a call's control is current is attached already.
    void AttachToCall(CallControl *control);
    // Unties it, before it outlives the call (a connection put into a pool).
    void DetachFromCall();

    bool IsOpen() const { return m_socket >= 0; }
    int GetHandle() const { return m_socket; }

private:
    // Throws "<operation>" with EBADF when there is no socket.
    void requireSocket(const char *operation) const;
    // Waits for events; false on time-out.
    bool waitFor(short events, std::chrono::milliseconds timeout) const;
    // The wait a step may take under the attached call's limits; throws
    // "<operation>" (error 0) when the call has no time left.
    std::chrono::milliseconds allowed(const char *operation, std::chrono::milliseconds timeout) const;
    void releaseHandle();

    int m_socket = -1;
    // The receive time-out the socket carries; negative until one is set.
    std::chrono::milliseconds m_receiveTimeout{-1};
    CallControl *m_control = nullptr;
};
