#include "modules/perf/rightview.h"

#include <QPainter>
#include <QScrollBar>

#include "modules/perf/statuslistmodel.h"

namespace {

// Colour 0xE79663 of the system's palette (blue 0xE7, green 0x96, red 0x63).
const QColor TextColour(0x63, 0x96, 0xE7);
constexpr int FontPixels = 12;
constexpr int TextWidth = 4000;

} // namespace

CRightView::CRightView(CStatusListModel *model, QWidget *parent) : QAbstractScrollArea(parent), m_model(model)
{
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(palette);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        UpdateScrollBars();
        viewport()->update();
    });
    UpdateScrollBars();
}

int CRightView::ContentHeight() const
{
    return std::max(AreaSize, FirstLineY + LineStep * int(m_model->Lines().size()) + LineStep);
}

void CRightView::UpdateScrollBars()
{
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, AreaSize - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setRange(0, std::max(0, ContentHeight() - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(LineStep);
}

void CRightView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CRightView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    QFont font = painter.font();
    font.setPixelSize(FontPixels);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setPen(TextColour);
    auto draw = [&painter](int x, int y, const QString &text) {
        painter.drawText(QRect(x, y, TextWidth, LineStep), Qt::AlignLeft | Qt::AlignTop, text);
    };
    draw(200, 10, m_model->Title());
    draw(10, 30, QString(109, QLatin1Char('*')));
    int y = FirstLineY;
    for (const QString &line : m_model->Lines()) {
        draw(10, y, line);
        y += LineStep;
    }
}
