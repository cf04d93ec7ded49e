#include "report/reportdata.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include <QStringDecoder>

namespace {

constexpr QByteArrayView EndMark("</end>");

// The next "$"-separated field of [pos, end): its text, pos moved past the "$".
// False when no field is left.
bool NextField(const char *&pos, const char *end, QByteArrayView &field)
{
    if (pos >= end)
        return false;
    const char *dollar = static_cast<const char *>(std::memchr(pos, '$', size_t(end - pos)));
    const char *fieldEnd = dollar ? dollar : end;
    field = QByteArrayView(pos, fieldEnd - pos);
    pos = dollar ? dollar + 1 : end;
    return true;
}

// A value text as a number: decimal, blanks around allowed; other text is 0.
double NumberOf(QByteArrayView text)
{
    const char *begin = text.data();
    const char *end = begin + text.size();
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    if (begin < end && *begin == '+')
        ++begin;
    double value = 0;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || !std::isfinite(value))
        return 0;
    for (const char *p = rest; p < end; ++p) {
        if (*p != ' ' && *p != '\t')
            return 0;
    }
    return value;
}

// The state field as a state: 0 normal, 1 danger, anything else (another
// number, no number at all) an error.
CReportData::State ReadState(QByteArrayView text)
{
    int value = -1;
    const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || rest != text.data() + text.size() || text.isEmpty())
        return CReportData::Error;
    return value == 0 ? CReportData::Normal : value == 1 ? CReportData::Danger : CReportData::Error;
}

size_t ExpectedLines(QByteArrayView text)
{
    constexpr qsizetype Sample = 64 * 1024;
    const QByteArrayView head = text.first(std::min(text.size(), Sample));
    const qsizetype ends = head.count('\n');
    if (ends == 0 || head.size() == text.size())
        return size_t(ends + 1);
    return size_t(double(text.size()) / double(head.size()) * double(ends) * 1.05) + 16;
}

bool ReadNumber(const char *&pos, const char *end, int &value)
{
    const auto [rest, error] = std::from_chars(pos, end, value);
    if (error != std::errc())
        return false;
    pos = rest;
    return true;
}

bool Expect(const char *&pos, const char *end, char c)
{
    if (pos >= end || *pos != c)
        return false;
    ++pos;
    return true;
}

} // namespace

int64_t CReportData::FromCivil(const Civil &c)
{
    // Days from 1970-01-01 in the proleptic Gregorian calendar.
    const int64_t y = int64_t(c.year) - (c.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (c.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + c.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + int64_t(c.hour) * 3600 + int64_t(c.minute) * 60 + c.second;
}

CReportData::Civil CReportData::ToCivil(int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const int year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return Civil{year, month, day, int(rest / 3600), int(rest / 60 % 60), int(rest % 60)};
}

bool CReportData::ParseTime(QByteArrayView text, int64_t &seconds)
{
    const char *pos = text.data();
    const char *end = pos + text.size();
    Civil c{};
    if (!ReadNumber(pos, end, c.year) || !Expect(pos, end, '-') || !ReadNumber(pos, end, c.month)
        || !Expect(pos, end, '-') || !ReadNumber(pos, end, c.day) || !Expect(pos, end, ' ')
        || !ReadNumber(pos, end, c.hour) || !Expect(pos, end, ':') || !ReadNumber(pos, end, c.minute)
        || !Expect(pos, end, ':') || !ReadNumber(pos, end, c.second) || pos != end)
        return false;
    if (c.year < 1 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour < 0
        || c.hour > 23 || c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 60)
        return false;
    seconds = FromCivil(c);
    return true;
}

void CReportData::Parse(QByteArray reply, int itemCount)
{
    m_reply = std::move(reply);
    m_textSize = m_reply.size();
    if (m_reply.endsWith(EndMark.data()))
        m_textSize -= EndMark.size();
    m_itemCount = itemCount < 0 ? 0 : itemCount;
    m_ignored = 0;
    m_firstTime = m_lastTime = 0;
    m_lineStart.clear();
    m_lineLength.clear();
    m_time.clear();
    m_state.clear();
    m_values.clear();
    m_statistics.assign(size_t(m_itemCount), ItemStatistics{});
    for (ItemStatistics &s : m_statistics) {
        s.minimum = std::numeric_limits<double>::infinity();
        s.maximum = -std::numeric_limits<double>::infinity();
    }
    m_counts[Normal] = m_counts[Danger] = m_counts[Error] = 0;

    // Room for every line up front, from the length of the first lines: a
    // count of every line end would cost a pass over the whole text.
    const size_t expected = ExpectedLines(Text());
    m_lineStart.reserve(size_t(expected));
    m_lineLength.reserve(size_t(expected));
    m_time.reserve(size_t(expected));
    m_state.reserve(size_t(expected));
    m_values.reserve(size_t(expected) * size_t(m_itemCount));

    const char *const base = m_reply.constData();
    const char *const textEnd = base + m_textSize;
    const char *lineBegin = base;
    while (lineBegin < textEnd) {
        const char *newline = static_cast<const char *>(std::memchr(lineBegin, '\n', size_t(textEnd - lineBegin)));
        const char *lineEnd = newline ? newline : textEnd;
        const char *next = newline ? newline + 1 : textEnd;
        if (lineEnd > lineBegin && lineEnd[-1] == '\r')
            --lineEnd;

        const char *pos = lineBegin;
        QByteArrayView fields[FirstValueField];
        int fieldCount = 0;
        while (fieldCount < FirstValueField && NextField(pos, lineEnd, fields[fieldCount]))
            ++fieldCount;
        int64_t time = 0;
        if (lineEnd == lineBegin) {
            lineBegin = next;
            continue;
        }
        if (fieldCount <= RemarkField || !ParseTime(fields[TimeField], time)) {
            ++m_ignored;
            lineBegin = next;
            continue;
        }
        if (m_time.empty()) {
            m_firstTime = m_lastTime = time;
        } else {
            m_firstTime = std::min(m_firstTime, time);
            m_lastTime = std::max(m_lastTime, time);
        }
        const State state = ReadState(fields[StateField]);
        ++m_counts[state];
        m_lineStart.push_back(uint32_t(lineBegin - base));
        m_lineLength.push_back(uint32_t(lineEnd - lineBegin));
        m_time.push_back(time);
        m_state.push_back(state);
        // Every item gets its slot, missing values included, so value i of
        // every line stays at line i of the time axis.
        for (int item = 0; item < m_itemCount; ++item) {
            QByteArrayView text;
            const bool present = fieldCount == FirstValueField && NextField(pos, lineEnd, text) && !text.isEmpty();
            if (!present) {
                m_values.push_back(std::nan(""));
                continue;
            }
            const double value = NumberOf(text);
            m_values.push_back(value);
            ItemStatistics &s = m_statistics[size_t(item)];
            ++s.count;
            s.sum += value;
            if (value > s.maximum)
                s.maximum = value;
            if (value < s.minimum)
                s.minimum = value;
        }
        lineBegin = next;
    }
    for (ItemStatistics &s : m_statistics) {
        if (s.count == 0)
            s.minimum = s.maximum = 0;
    }
}

QByteArrayView CReportData::Line(int line) const
{
    return QByteArrayView(m_reply.constData() + m_lineStart[size_t(line)], m_lineLength[size_t(line)]);
}

QByteArrayView CReportData::Field(int line, int index) const
{
    const QByteArrayView text = Line(line);
    const char *pos = text.data();
    const char *end = pos + text.size();
    QByteArrayView field;
    for (int i = 0; i <= index; ++i) {
        if (!NextField(pos, end, field))
            return QByteArrayView();
    }
    return field;
}

size_t CReportData::ParsedBytes() const
{
    return m_lineStart.capacity() * sizeof(uint32_t) + m_lineLength.capacity() * sizeof(uint32_t)
           + m_time.capacity() * sizeof(int64_t) + m_state.capacity() + m_values.capacity() * sizeof(double)
           + m_statistics.capacity() * sizeof(ItemStatistics);
}

int CReportData::Percent(State state) const
{
    const int64_t total = Total();
    return int(m_counts[state] * 100 / (total ? total : 1));
}

QString CReportData::Decode(QByteArrayView bytes)
{
    QStringDecoder decoder("GBK");
    return decoder(bytes);
}
