#include "report/reportcanvas.h"

#include <cmath>

#include <QComboBox>
#include <QPainter>

#include "report/curveplot.h"
#include "report/reportdata.h"

namespace {

constexpr int Margin = 20;
constexpr int TitleTop = 8;
constexpr int CountsTop = 44;
constexpr int SelectorTop = 70;
constexpr int PanelTop = 100;
constexpr int PanelLine = 22;
constexpr int CurveTop = 170;
constexpr int CurveHeight = 320;
constexpr int RecordsTop = CurveTop + CurveHeight + 16;
constexpr int RowHeight = 18;
constexpr int CaptionHeight = 26;

QFont PixelFont(const QFont &base, int pixels)
{
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

QString TimeText(qint64 seconds)
{
    const CReportData::Civil c = CReportData::ToCivil(seconds);
    return QString::asprintf("%d-%2d-%2d %2d:%2d:%2d", c.year, c.month, c.day, c.hour, c.minute, c.second);
}

QString NumberText(double value, bool isFloat)
{
    if (std::isnan(value))
        return QStringLiteral("-");
    return QString::asprintf(isFloat ? "%.2f" : "%.0f", value);
}

// Height of one record list of n rows listed.
int RecordsHeight(size_t rows, bool more)
{
    return CaptionHeight + RowHeight * int(rows + 1 + (more ? 1 : 0)) + 8;
}

} // namespace

CReportCanvas::CReportCanvas(QWidget *parent)
    : QWidget(parent), m_selector(new QComboBox(this)), m_curve(new CCurvePlot(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_selector->setGeometry(Margin + 110, SelectorTop - 2, 260, 24);
    m_curve->setGeometry(0, CurveTop, CanvasWidth, CurveHeight);
    connect(m_selector, &QComboBox::currentIndexChanged, this, &CReportCanvas::SelectItem);
    resize(sizeHint());
}

void CReportCanvas::SetReport(const CReportData *data, const std::vector<ItemDefinition> *items,
                              const QString &kindLabel)
{
    m_data = data;
    m_items = items;
    m_kindLabel = kindLabel;
    m_curveItems = ItemDefinition::ShownIn(*items, &ItemDefinition::drawImage);
    m_tableItems = ItemDefinition::ShownIn(*items, &ItemDefinition::drawTable);
    m_errorLines.clear();
    m_dangerLines.clear();
    for (int line = 0; line < data->LineCount(); ++line) {
        const CReportData::State state = data->StateOf(line);
        std::vector<int> &list = state == CReportData::Error ? m_errorLines : m_dangerLines;
        if (state != CReportData::Normal && list.size() < size_t(RecordRowsShown))
            list.push_back(line);
    }
    const QSignalBlocker blocker(m_selector);
    const int previous = m_selector->currentIndex();
    m_selector->clear();
    for (int item : m_curveItems)
        m_selector->addItem((*items)[size_t(item)].Caption());
    m_selector->setCurrentIndex(previous >= 0 && previous < m_selector->count() ? previous : 0);
    SelectItem(m_selector->currentIndex());
    resize(sizeHint());
    update();
}

int CReportCanvas::SelectedItem() const
{
    const int index = m_selector->currentIndex();
    return index >= 0 && size_t(index) < m_curveItems.size() ? m_curveItems[size_t(index)] : -1;
}

void CReportCanvas::SelectItem(int)
{
    const int item = SelectedItem();
    const bool drawn = item >= 0 && !(*m_items)[size_t(item)].IsText();
    m_curve->SetCurve(m_data, drawn ? item : -1);
    update();
}

QString CReportCanvas::Title() const
{
    return m_kindLabel + QStringLiteral("统计报告");
}

QStringList CReportCanvas::CountTexts() const
{
    if (!m_data)
        return {};
    return {QStringLiteral("检测总数:%1").arg(m_data->Total()),
            QStringLiteral("正常数:%1(百分率:%2)").arg(m_data->Count(CReportData::Normal)).arg(m_data->Percent(CReportData::Normal)),
            QStringLiteral("危险数:%1(百分率:%2)").arg(m_data->Count(CReportData::Danger)).arg(m_data->Percent(CReportData::Danger)),
            QStringLiteral("错误数:%1(百分率:%2)").arg(m_data->Count(CReportData::Error)).arg(m_data->Percent(CReportData::Error))};
}

QStringList CReportCanvas::PanelTexts() const
{
    const int item = SelectedItem();
    if (!m_data || item < 0)
        return {};
    const ItemDefinition &definition = (*m_items)[size_t(item)];
    QStringList texts{QStringLiteral("返回值名称:%1(%2)").arg(definition.name, definition.label),
                      QStringLiteral("返回值类型:%1").arg(definition.type),
                      QStringLiteral("返回值单位:%1").arg(definition.unit)};
    if (m_data->LineCount() > 0 && !definition.IsText()) {
        const CReportData::ItemStatistics &statistics = m_data->Statistics(item);
        const bool isFloat = definition.IsFloat();
        texts << QStringLiteral("检测总数:%1").arg(statistics.count)
              << QStringLiteral("最大数值:%1").arg(statistics.count ? NumberText(statistics.maximum, isFloat) : QStringLiteral("-"))
              << QStringLiteral("平均值:%1").arg(NumberText(statistics.Average(), isFloat));
    }
    if (m_data->LineCount() > 0)
        texts << QStringLiteral("检测时间从:%1 到:%2").arg(TimeText(m_data->FirstTime()), TimeText(m_data->LastTime()));
    return texts;
}

QSize CReportCanvas::sizeHint() const
{
    const qint64 errors = m_data ? m_data->Count(CReportData::Error) : 0;
    const qint64 dangers = m_data ? m_data->Count(CReportData::Danger) : 0;
    const int height = RecordsTop + RecordsHeight(m_errorLines.size(), errors > qint64(m_errorLines.size()))
                       + RecordsHeight(m_dangerLines.size(), dangers > qint64(m_dangerLines.size())) + Margin;
    return QSize(CanvasWidth, height);
}

void CReportCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.setFont(PixelFont(font(), 18));
    painter.drawText(QRect(0, TitleTop, width(), 28), Qt::AlignHCenter | Qt::AlignVCenter, Title());

    painter.setFont(PixelFont(font(), 12));
    const int offsets[] = {0, 160, 360, 560};
    const QStringList counts = CountTexts();
    for (int i = 0; i < counts.size(); ++i)
        painter.drawText(Margin + offsets[i], CountsTop + 12, counts[i]);

    painter.drawText(Margin, SelectorTop + 14, QStringLiteral("请选择返回值:"));
    const QStringList panel = PanelTexts();
    // Name, type and unit on the first line; counts on the second; times last.
    const int columns[] = {0, 340, 560};
    for (int i = 0; i < panel.size(); ++i) {
        const bool timeLine = panel[i].startsWith(QStringLiteral("检测时间从"));
        const int row = timeLine ? 2 : i / 3;
        const int x = timeLine ? 0 : columns[i % 3];
        painter.drawText(Margin + x, PanelTop + row * PanelLine + 12, panel[i]);
    }

    if (!m_data)
        return;
    int top = RecordsTop;
    top += PaintRecords(painter, top, QStringLiteral("错误"), m_errorLines, m_data->Count(CReportData::Error));
    PaintRecords(painter, top, QStringLiteral("危险"), m_dangerLines, m_data->Count(CReportData::Danger));
}

int CReportCanvas::PaintRecords(QPainter &painter, int top, const QString &caption, const std::vector<int> &lines,
                                qint64 total) const
{
    const bool more = total > qint64(lines.size());
    painter.setFont(PixelFont(font(), 18));
    painter.drawText(QRect(0, top, width(), CaptionHeight), Qt::AlignCenter, caption);
    painter.setFont(PixelFont(font(), 12));
    // Time, name, description, then the values shown in tables.
    const int valueColumns = int(m_tableItems.size());
    const int valueWidth = valueColumns ? std::min(120, (CanvasWidth - 2 * Margin - 560) / valueColumns) : 0;
    int y = top + CaptionHeight;
    const auto row = [&](const QString &time, const QString &name, const QString &remark, const QStringList &values) {
        painter.drawText(QRect(Margin, y, 170, RowHeight), Qt::AlignLeft | Qt::AlignVCenter, time);
        painter.drawText(QRect(Margin + 180, y, 140, RowHeight), Qt::AlignLeft | Qt::AlignVCenter, name);
        painter.drawText(QRect(Margin + 330, y, 230, RowHeight), Qt::AlignLeft | Qt::AlignVCenter, remark);
        for (int i = 0; i < values.size(); ++i)
            painter.drawText(QRect(Margin + 560 + i * valueWidth, y, valueWidth, RowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, values[i]);
        y += RowHeight;
    };
    QStringList headers;
    for (int item : m_tableItems)
        headers << (*m_items)[size_t(item)].Caption();
    row(QStringLiteral("时间"), QStringLiteral("名称"), QStringLiteral("描述"), headers);
    for (int line : lines) {
        QStringList values;
        for (int item : m_tableItems)
            values << CReportData::Decode(m_data->ValueText(line, item));
        row(CReportData::Decode(m_data->TimeText(line)), m_kindLabel, CReportData::Decode(m_data->Remark(line)), values);
    }
    if (more)
        row(QStringLiteral("…另有 %1 条").arg(total - qint64(lines.size())), QString(), QString(), {});
    return y - top + 8;
}

QImage CReportCanvas::Picture(QString *error)
{
    const QSize size = this->size();
    if (qint64(size.width()) * size.height() > MaxPixels) {
        if (error)
            *error = QStringLiteral("图像过大 (%1×%2)").arg(size.width()).arg(size.height());
        return QImage();
    }
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("内存不足，无法生成 %1×%2 的图像").arg(size.width()).arg(size.height());
        return picture;
    }
    picture.fill(Qt::white);
    render(&picture);
    return picture;
}
