#include "orb/textframe/textframe.h"

namespace textframe {
namespace {

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool fail(std::string *error, std::string message)
{
    if (error)
        *error = std::move(message);
    return false;
}

} // namespace

std::optional<std::string> build(std::string_view kind, const std::vector<std::string> &fields, std::string *error,
                                 std::size_t cap)
{
    if (kind.size() != 2 || !isLetter(kind[0]) || !isLetter(kind[1])) {
        fail(error, "a frame kind is two letters, not \"" + std::string(kind) + "\"");
        return std::nullopt;
    }
    std::size_t payload = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].find_first_of("$\r\n") != std::string::npos) {
            fail(error, "field " + std::to_string(i + 1) + " holds \"$\" or a line break, which the frame cannot carry");
            return std::nullopt;
        }
        payload += fields[i].size() + 1;
    }
    std::size_t limit = cap < MaxPayload ? cap : MaxPayload;
    if (payload > limit) {
        fail(error, "the frame's fields take " + std::to_string(payload) + " bytes, more than the "
                        + std::to_string(limit) + " a frame may carry");
        return std::nullopt;
    }
    std::string frame;
    frame.reserve(HeaderSize + payload);
    frame.append(kind);
    std::string digits = std::to_string(payload);
    frame.append(4 - digits.size(), '0');
    frame.append(digits);
    for (const std::string &field : fields) {
        frame.append(field);
        frame.push_back(FieldEnd);
    }
    return frame;
}

HeaderStatus parseHeader(std::string_view bytes, Header &header)
{
    for (std::size_t i = 0; i < HeaderSize && i < bytes.size(); ++i)
        if (i < 2 ? !isLetter(bytes[i]) : !isDigit(bytes[i]))
            return HeaderStatus::Bad;
    if (bytes.size() < HeaderSize)
        return HeaderStatus::Incomplete;
    header.kind.assign(bytes.substr(0, 2));
    header.length = 0;
    for (std::size_t i = 2; i < HeaderSize; ++i)
        header.length = header.length * 10 + std::size_t(bytes[i] - '0');
    return HeaderStatus::Ok;
}

Fields split(std::string_view payload)
{
    Fields result;
    std::size_t start = 0;
    for (std::size_t end; (end = payload.find(FieldEnd, start)) != std::string_view::npos; start = end + 1)
        result.fields.push_back(payload.substr(start, end - start));
    result.tail = payload.substr(start);
    return result;
}

} // namespace textframe
