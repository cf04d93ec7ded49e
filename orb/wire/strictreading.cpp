#include "orb/wire/strictreading.h"

#include <cstdio>

#include "orb/wire/codepage.h"

namespace orb {
namespace {

thread_local StrictReading *currentScope = nullptr;

// Element names come from the sender: a long one is cut so that the message
// stays within what the client shows.
constexpr std::size_t MaxNameBytes = 24;

} // namespace

std::string TextFault::messageUtf8() const
{
    const std::string name = toUtf8(std::string_view(element).substr(0, fitLength(element, MaxNameBytes)));
    std::string message = "字段 " + name;
    switch (kind) {
    case Kind::TooLong:
        message += " 超过 " + std::to_string(limit) + " 字节";
        break;
    case Kind::NulCharacter:
        message += " 含有空字符 (NUL)，无法保存";
        break;
    case Kind::Unstorable: {
        char point[16];
        std::snprintf(point, sizeof point, "U+%04X", unsigned(character));
        message += std::string(" 含有无法保存的字符 ") + point;
        break;
    }
    case Kind::InvalidBytes:
        message += std::string(" 含有无效的 ") + codePageName() + " 字节";
        break;
    }
    return message;
}

StrictReading::StrictReading() : m_outer(currentScope)
{
    currentScope = this;
}

StrictReading::~StrictReading()
{
    currentScope = m_outer;
}

StrictReading *StrictReading::current()
{
    return currentScope;
}

void StrictReading::note(TextFault fault)
{
    if (m_faults.size() < MaxKept)
        m_faults.push_back(std::move(fault));
}

} // namespace orb
