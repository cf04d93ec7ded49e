#include "server/engine/checks/checkresult.h"

#include <charconv>

std::string CheckInput::param(const std::string &name, const std::string &fallback) const
{
    auto found = params.find(name);
    return found == params.end() || found->second.empty() ? fallback : found->second;
}

int CheckInput::intParam(const std::string &name, int fallback) const
{
    std::string text = param(name);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}
