#pragma once

#include <functional>
#include <initializer_list>

#include "orb/wire/keelexport.h"
#include "orb/wire/mtxstatus.h"

class MtxObj;
class OrbService;
class QWidget;

// The one way a document calls the server: the wait cursor while the call
// runs, and on failure the server's message through CProApp::ShowMessage.
// Callers keep the shape "call, then test the result" and change nothing
// locally when it fails.

// Runs call and returns its status without showing anything; caller is the
// document window the call belongs to (may be null).
KEEL_EXPORT MtxStatus RunServerCall(const std::function<MtxStatus()> &call, QWidget *caller = nullptr);

// Invokes method on service with args, reading the reply into response (may be
// null). False when the service is missing or the call failed; the message has
// then been shown.
KEEL_EXPORT bool CallService(OrbService *service, const char *method,
                             std::initializer_list<const MtxObj *> args, MtxObj *response = nullptr,
                             QWidget *caller = nullptr);
