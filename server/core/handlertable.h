#pragma once

#include <memory>
#include <span>

class Call;
class MtxObj;

// What a method does to the data, which decides its transaction and whether
// it is written to the operation log.
enum class Access {
    Read,  // reads only
    Write, // changes data; logged
    Login, // login itself: needs no session
};

// A handler returns the response object, or null for a plain "SUCCEED"
// response; it refuses by throwing Refusal.
using Handler = std::unique_ptr<MtxObj> (*)(Call &call);

struct HandlerEntry
{
    const char *service;
    const char *method;
    Handler handler;
    Access access;
    const char *logTitle = nullptr; // operation-log title (UTF-8) of a change
};

// The methods of each service, one table per handler file.
std::span<const HandlerEntry> elementHandlers();
std::span<const HandlerEntry> monitorHandlers();
std::span<const HandlerEntry> alertRuleHandlers();
std::span<const HandlerEntry> alertLogHandlers();
std::span<const HandlerEntry> userHandlers();
std::span<const HandlerEntry> roleHandlers();
std::span<const HandlerEntry> departmentHandlers();
std::span<const HandlerEntry> sysLogHandlers();
std::span<const HandlerEntry> topologyHandlers();
std::span<const HandlerEntry> systemHandlers();
