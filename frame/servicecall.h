#pragma once

#include <functional>
#include <initializer_list>

#include "orb/wire/keelexport.h"
#include "orb/wire/mtxstatus.h"

class MtxObj;
class OrbService;
class QWidget;

// The one way a document calls the server. The call runs on a worker thread
// while the window goes on painting; the calling document takes no input
// meanwhile, the wait cursor shows, and after a moment
// (CProApp::ProgressDelayMs) a small window with the server's address offers
// Cancel, which ends the call at once as a client failure. Callers keep the shape "call, then test the result", make
// their calls one after the other as before, and change nothing locally when
// a call fails.

// Runs call and returns its status without showing anything; caller is the
// document window the call belongs to (null: the whole program waits). The
// objects call uses are not touched after this returns, cancelled or not.
KEEL_EXPORT MtxStatus RunServerCall(const std::function<MtxStatus()> &call, QWidget *caller = nullptr);

// Shows why a call failed: the lost-server message (warning icon, the
// program's title as caption) when the server could not be reached, else the
// status message through CProApp::ShowMessage. Nothing for success or a
// cancelled call.
KEEL_EXPORT void ShowCallFailure(const MtxStatus &status);

// Invokes method on service with args, reading the reply into response (may be
// null). False when the service is missing or the call failed; the message has
// then been shown.
KEEL_EXPORT bool CallService(OrbService *service, const char *method,
                             std::initializer_list<const MtxObj *> args, MtxObj *response = nullptr,
                             QWidget *caller = nullptr);
