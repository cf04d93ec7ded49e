#pragma once

#include <QString>

#include "orb/wire/keelexport.h"

class MtxStatus;
class OrbClient;

// What the user interface knows of the link to the server: the last address
// the client used, and whether the last call found the server. A call that
// could not reach the server marks the link down; the next call the server
// answers (in any way) marks it up again.
class KEEL_EXPORT CServerLink
{
public:
    // The call never reached the server, or the server stopped answering.
    static bool IsLinkFailure(const MtxStatus &status);
    static bool IsCancelled(const MtxStatus &status);

    // Keeps the client's current address unless it has none (cleared after a
    // failed connection): the last known one stays.
    void Observe(const OrbClient *client);
    // A call's outcome: link failures mark the link down, answers mark it up;
    // a cancelled call says nothing either way.
    void Record(const MtxStatus &status);

    bool IsDown() const { return m_down; }
    // "host:port", or "0.0.0.0" before any client was seen.
    QString Address() const;
    QString Host() const { return m_host.isEmpty() ? QStringLiteral("0.0.0.0") : m_host; }
    // The text of the server pane of the status bar.
    QString PaneText(bool chinese) const;
    // The message shown when a call could not reach the server.
    QString LostMessage(bool chinese) const;

private:
    QString m_host;
    int m_port = 0;
    bool m_down = false;
};
