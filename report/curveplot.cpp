#include "report/curveplot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <QPainter>

#include "report/reportdata.h"

namespace {

struct Column
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double first = 0;
    double last = 0;
    qint64 firstTime = std::numeric_limits<qint64>::max();
    qint64 lastTime = std::numeric_limits<qint64>::min();
    bool Empty() const { return low > high; }
};

} // namespace

CCurvePlot::CCurvePlot(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(400, 260);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCurvePlot::SetCurve(const CReportData *data, int item)
{
    m_data = data;
    m_item = data && item >= 0 && item < data->ItemCount() ? item : -1;
    ComputeRanges();
    update();
}

void CCurvePlot::ComputeRanges()
{
    Ranges ranges;
    if (m_data && m_data->LineCount() > 0) {
        ranges.firstTime = m_data->FirstTime();
        ranges.lastTime = m_data->LastTime();
    }
    if (m_item >= 0 && m_data->Statistics(m_item).count > 0) {
        const CReportData::ItemStatistics &statistics = m_data->Statistics(m_item);
        ranges.low = std::min(0.0, statistics.minimum);
        ranges.high = std::max(0.0, statistics.maximum);
    }
    // A single time or a flat line still gets an axis to be drawn on.
    if (ranges.lastTime <= ranges.firstTime) {
        ranges.firstTime -= 30;
        ranges.lastTime += 30;
    }
    if (ranges.high <= ranges.low)
        ranges.high = ranges.low + 1;
    m_ranges = ranges;
}

void CCurvePlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect plot = rect().adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
    if (plot.width() < 2 || plot.height() < 2)
        return;
    QFont axisFont = font();
    axisFont.setPixelSize(14);
    painter.setFont(axisFont);

    // Grid: 11 time lines, one line per value step, labelled.
    painter.setPen(QPen(QColor(122, 122, 122), 1, Qt::DashDotDotLine));
    const qint64 span = m_ranges.lastTime - m_ranges.firstTime;
    for (int i = 0; i <= 10; ++i) {
        const int x = plot.left() + int(qint64(plot.width() - 1) * i / 10);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        const CReportData::Civil civil = CReportData::ToCivil(m_ranges.firstTime + i * span / 10);
        const QRect label(x - 40, plot.bottom() + 2, 80, 18);
        painter.drawText(label, Qt::AlignCenter, QString::asprintf("%d-%d", civil.month, civil.day));
        painter.drawText(label.translated(0, 18), Qt::AlignCenter, QString::asprintf("%d:%d", civil.hour, civil.minute));
    }
    const double perStep = (m_ranges.high - m_ranges.low) / ValueSteps;
    for (int step = 0; step <= ValueSteps; ++step) {
        const int y = plot.bottom() - int(qint64(plot.height() - 1) * step / ValueSteps);
        if (step > 0)
            painter.drawLine(plot.left(), y, plot.right(), y);
        painter.drawText(QRect(plot.left() - 50 - 8, y - 9, 54, 18), Qt::AlignRight | Qt::AlignVCenter,
                         QString::asprintf("%.1f", m_ranges.low + step * perStep));
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    m_paintedColumns = 0;
    if (m_item < 0 || m_data->LineCount() == 0)
        return;
    // One bin per pixel column.
    const int width = plot.width();
    std::vector<Column> columns(static_cast<size_t>(width));
    const double xScale = double(width - 1) / double(span);
    const int lines = m_data->LineCount();
    for (int line = 0; line < lines; ++line) {
        const double value = m_data->Value(line, m_item);
        if (std::isnan(value))
            continue;
        const qint64 time = m_data->Time(line);
        Column &column = columns[size_t(std::clamp(int(double(time - m_ranges.firstTime) * xScale), 0, width - 1))];
        column.low = std::min(column.low, value);
        column.high = std::max(column.high, value);
        if (time < column.firstTime) {
            column.firstTime = time;
            column.first = value;
        }
        if (time >= column.lastTime) {
            column.lastTime = time;
            column.last = value;
        }
    }
    const double yScale = double(plot.height() - 1) / (m_ranges.high - m_ranges.low);
    const auto yOf = [&](double value) { return double(plot.bottom()) - (value - m_ranges.low) * yScale; };
    painter.setPen(QPen(QColor(0, 90, 200), 1));
    QPointF previous;
    bool havePrevious = false;
    for (int x = 0; x < width; ++x) {
        const Column &column = columns[size_t(x)];
        if (column.Empty())
            continue;
        ++m_paintedColumns;
        const double px = plot.left() + x;
        if (havePrevious)
            painter.drawLine(previous, QPointF(px, yOf(column.first)));
        if (column.high > column.low)
            painter.drawLine(QPointF(px, yOf(column.low)), QPointF(px, yOf(column.high)));
        else
            painter.drawPoint(QPointF(px, yOf(column.low)));
        previous = QPointF(px, yOf(column.last));
        havePrevious = true;
    }
}
