#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The history of one monitor as the data server sent it: the reply text, kept
// whole, and per line its time (seconds since the epoch, read as wall-clock
// time), its state and one numeric slot per return item. Remarks and value
// texts are cut out of the reply on demand, so a parsed reply takes little
// more memory than its text.
//
// Reply lines are separated by CR LF, fields by "$": field 2 is the time
// ("%d-%d-%d %d:%d:%d"), 3 the state, 4 the remark, values start at field 7.
class CReportData
{
public:
    static constexpr int TimeField = 2;
    static constexpr int StateField = 3;
    static constexpr int RemarkField = 4;
    static constexpr int FirstValueField = 7;

    enum State : uint8_t { Normal = 0, Danger = 1, Error = 2 };

    // Count, extremes and average of one item's values that are present.
    struct ItemStatistics
    {
        int64_t count = 0;
        double minimum = 0;
        double maximum = 0;
        double sum = 0;
        double Average() const { return count ? sum / double(count) : std::nan(""); }
    };

    // Replaces everything with the lines of reply, which is kept as it is
    // (no copy); a trailing "</end>" is not a line. itemCount is the number
    // of return items of the kind.
    void Parse(QByteArray reply, int itemCount);
    // No lines; the items keep their (empty) statistics.
    void Clear() { Parse(QByteArray(), m_itemCount); }

    // The reply's lines: the reply without its closing "</end>".
    QByteArrayView Text() const { return QByteArrayView(m_reply.constData(), m_textSize); }
    int LineCount() const { return int(m_time.size()); }
    int ItemCount() const { return m_itemCount; }
    // Lines left out: fewer than five fields or a time that cannot be read.
    int IgnoredLines() const { return m_ignored; }

    QByteArrayView Line(int line) const;
    int64_t Time(int line) const { return m_time[size_t(line)]; }
    State StateOf(int line) const { return State(m_state[size_t(line)]); }
    QByteArrayView TimeText(int line) const { return Field(line, TimeField); }
    QByteArrayView Remark(int line) const { return Field(line, RemarkField); }
    QByteArrayView ValueText(int line, int item) const { return Field(line, FirstValueField + item); }
    // NaN for a value the line does not carry; text that is no number is 0.
    double Value(int line, int item) const { return m_values[size_t(line) * size_t(m_itemCount) + size_t(item)]; }
    // Earliest and latest time of the lines (0 without lines).
    int64_t FirstTime() const { return m_firstTime; }
    int64_t LastTime() const { return m_lastTime; }

    int64_t Count(State state) const { return m_counts[state]; }
    int64_t Total() const { return m_counts[Normal] + m_counts[Danger] + m_counts[Error]; }
    // count × 100 / total, truncated; 0 when there are no lines.
    int Percent(State state) const;
    const ItemStatistics &Statistics(int item) const { return m_statistics[size_t(item)]; }

    // Reply bytes (GBK) as text.
    static QString Decode(QByteArrayView bytes);

    // Bytes held for the parsed lines, besides the reply text itself.
    size_t ParsedBytes() const;

    // Field index of a line ("$"-separated), empty when the line is shorter.
    QByteArrayView Field(int line, int index) const;

    // "%d-%d-%d %d:%d:%d" as seconds since 1970-01-01 00:00:00 of the same
    // clock; false for text that is not such a time.
    static bool ParseTime(QByteArrayView text, int64_t &seconds);
    // Back to year, month, day, hour, minute, second.
    struct Civil { int year, month, day, hour, minute, second; };
    static Civil ToCivil(int64_t seconds);
    static int64_t FromCivil(const Civil &civil);

private:
    QByteArray m_reply;
    qsizetype m_textSize = 0;
    int m_itemCount = 0;
    int m_ignored = 0;
    int64_t m_firstTime = 0;
    int64_t m_lastTime = 0;
    std::vector<uint32_t> m_lineStart;
    std::vector<uint32_t> m_lineLength;
    std::vector<int64_t> m_time;
    std::vector<uint8_t> m_state;
    std::vector<double> m_values;
    std::vector<ItemStatistics> m_statistics;
    int64_t m_counts[3] = {0, 0, 0};
};
