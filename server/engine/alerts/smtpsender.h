#pragma once

#include <chrono>
#include <string>

// A plain SMTP client for alert mail: one message per connection, every step
// bounded by the time-out. Text is UTF-8.
namespace smtpsender {

struct Message
{
    std::string from;
    std::string to;
    std::string subject;
    std::string body;
};

// False with the reason (the server's answer or the network failure).
bool send(const std::string &host, int port, const Message &message, std::chrono::milliseconds timeout,
          std::string &reason);

} // namespace smtpsender
