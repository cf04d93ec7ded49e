#include "report/measureview.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "report/reportdata.h"

namespace {

constexpr int Margin = 20;
constexpr int GaugeHeight = 70;

QString Number(double value, bool isFloat)
{
    return std::isnan(value) ? QStringLiteral("-") : QString::asprintf(isFloat ? "%.2f" : "%.0f", value);
}

} // namespace

CMeasureView::CMeasureView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMeasureView::SetReport(const CReportData *data, const std::vector<ItemDefinition> *items)
{
    m_data = data;
    m_items = items;
    m_gauges.clear();
    for (int item : ItemDefinition::ShownIn(*items, &ItemDefinition::drawMeasure)) {
        if ((*items)[size_t(item)].IsText() || item >= data->ItemCount())
            continue;
        // The value of the latest line that carries one.
        double latest = std::nan("");
        int64_t latestTime = 0;
        for (int line = 0; line < data->LineCount(); ++line) {
            const double value = data->Value(line, item);
            if (!std::isnan(value) && (std::isnan(latest) || data->Time(line) >= latestTime)) {
                latest = value;
                latestTime = data->Time(line);
            }
        }
        m_gauges.push_back(Gauge{item, latest});
    }
    setMinimumHeight(Margin * 2 + GaugeHeight * int(std::max<size_t>(m_gauges.size(), 1)));
    update();
}

QStringList CMeasureView::GaugeTexts() const
{
    QStringList texts;
    for (const Gauge &gauge : m_gauges) {
        const ItemDefinition &definition = (*m_items)[size_t(gauge.item)];
        const CReportData::ItemStatistics &s = m_data->Statistics(gauge.item);
        const bool isFloat = definition.IsFloat();
        const bool any = s.count > 0;
        texts << QStringLiteral("%1: 最新 %2  平均 %3  最小 %4  最大 %5 %6")
                     .arg(definition.Caption(), Number(gauge.latest, isFloat), Number(s.Average(), isFloat),
                          any ? Number(s.minimum, isFloat) : QStringLiteral("-"),
                          any ? Number(s.maximum, isFloat) : QStringLiteral("-"), definition.unit)
                     .trimmed();
    }
    return texts;
}

void CMeasureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    if (m_gauges.empty()) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("没有可以度量的返回值"));
        return;
    }
    const QStringList texts = GaugeTexts();
    const int barWidth = std::max(100, width() - 2 * Margin);
    for (size_t i = 0; i < m_gauges.size(); ++i) {
        const int top = Margin + int(i) * GaugeHeight;
        painter.setPen(Qt::black);
        painter.drawText(Margin, top + 14, texts[int(i)]);
        const QRect bar(Margin, top + 24, barWidth, 20);
        painter.fillRect(bar, QColor(235, 240, 245));
        painter.drawRect(bar);
        const CReportData::ItemStatistics &s = m_data->Statistics(m_gauges[i].item);
        if (s.count == 0)
            continue;
        const double low = std::min(0.0, s.minimum);
        const double high = s.maximum > low ? s.maximum : low + 1;
        const auto xOf = [&](double value) { return bar.left() + int((value - low) / (high - low) * (bar.width() - 1)); };
        // Filled up to the average; the latest value is a red mark.
        painter.fillRect(QRect(QPoint(bar.left(), bar.top() + 1), QPoint(xOf(s.Average()), bar.bottom() - 1)),
                         QColor(90, 150, 220));
        if (!std::isnan(m_gauges[i].latest)) {
            painter.setPen(QPen(Qt::red, 2));
            const int x = xOf(m_gauges[i].latest);
            painter.drawLine(x, bar.top() - 3, x, bar.bottom() + 3);
        }
    }
}
