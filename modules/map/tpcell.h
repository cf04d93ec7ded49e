#pragma once

#include <optional>

#include <QRectF>
#include <QString>

class TPInfoObj;

// One cell of a topology picture as the document keeps it: its record, its
// rectangle in picture coordinates (zoom 1), the state of its bound element,
// and whether the server already holds it and whether it changed since.
class CTPCell
{
public:
    enum Kind { StatusCell = 0, ControlCell = 1 };
    static constexpr int StateUnknown = -1;
    static constexpr int MaxState = 2;
    // Positions and sizes beyond this are damaged records, not pictures.
    static constexpr double MaxCoordinate = 100000.0;

    // How a record from the server was read.
    enum class ReadResult { Exact, Adjusted, Rejected };

    // Reads a record; Rejected when a coordinate is not a finite number,
    // Adjusted when a negative position or an absurd size was clamped.
    ReadResult Read(const TPInfoObj &record);
    // The record as it is stored: coordinates with six decimals and a point
    // whatever the locale, the kind as a number.
    void Write(TPInfoObj &record) const;

    QString m_id;
    QString m_pid;
    QString m_mid;
    QString m_image;
    int m_kind = StatusCell;
    int m_state = StateUnknown;
    QRectF m_rect;
    bool m_stored = false;
    bool m_changed = false;
};

// Locale-independent coordinate texts of the wire records.
namespace CellCoordinates {
std::optional<double> Parse(const std::string &text);
std::string Format(double value);
} // namespace CellCoordinates
