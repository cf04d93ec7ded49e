#include "modules/map/tpcell.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "frame/localtext.h"
#include "services/types/tpinfoobj.h"

namespace CellCoordinates {

std::optional<double> Parse(const std::string &text)
{
    const char *begin = text.data();
    const char *end = begin + text.size();
    while (begin < end && *begin == ' ')
        ++begin;
    if (begin < end && *begin == '+')
        ++begin;
    double value = 0;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest == begin || !std::isfinite(value))
        return std::nullopt;
    for (const char *p = rest; p < end; ++p) {
        if (*p != ' ')
            return std::nullopt;
    }
    return value;
}

std::string Format(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return error == std::errc() ? std::string(buffer, end) : std::string("0.000000");
}

} // namespace CellCoordinates

CTPCell::ReadResult CTPCell::Read(const TPInfoObj &record)
{
    double values[4];
    const int fields[4] = {TPInfoObj::X, TPInfoObj::Y, TPInfoObj::W, TPInfoObj::H};
    bool adjusted = false;
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = CellCoordinates::Parse(record.get(fields[i]));
        if (!value)
            return ReadResult::Rejected;
        // Positions are not negative; sizes at least one pixel; nothing absurd.
        const double low = i < 2 ? 0.0 : 1.0;
        values[i] = std::clamp(*value, low, MaxCoordinate);
        adjusted = adjusted || values[i] != *value;
    }
    m_id = fromLocal(record.get(TPInfoObj::ID));
    m_pid = fromLocal(record.get(TPInfoObj::PID));
    m_mid = fromLocal(record.get(TPInfoObj::MID));
    m_image = fromLocal(record.get(TPInfoObj::Image));
    // An empty or unreadable kind is a status cell.
    const std::string &kind = record.get(TPInfoObj::Type);
    int number = 0;
    std::from_chars(kind.data(), kind.data() + kind.size(), number);
    m_kind = number == ControlCell ? ControlCell : StatusCell;
    m_rect = QRectF(values[0], values[1], values[2], values[3]);
    m_state = StateUnknown;
    m_stored = true;
    m_changed = adjusted;
    return adjusted ? ReadResult::Adjusted : ReadResult::Exact;
}

void CTPCell::Write(TPInfoObj &record) const
{
    record.set(TPInfoObj::ID, toLocal(m_id));
    record.set(TPInfoObj::PID, toLocal(m_pid));
    record.set(TPInfoObj::MID, toLocal(m_mid));
    record.setTruncated(TPInfoObj::Image, toLocal(m_image));
    record.set(TPInfoObj::X, CellCoordinates::Format(m_rect.x()));
    record.set(TPInfoObj::Y, CellCoordinates::Format(m_rect.y()));
    record.set(TPInfoObj::W, CellCoordinates::Format(m_rect.width()));
    record.set(TPInfoObj::H, CellCoordinates::Format(m_rect.height()));
    record.set(TPInfoObj::Type, std::to_string(m_kind));
}
