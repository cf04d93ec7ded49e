#include "modules/map/cellview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "modules/map/tpdoc.h"

namespace {
// A cell is never smaller than this on screen while it is resized.
constexpr int MinimumSide = 8;
}

CCellView::CCellView(CTPCell *cell, CTPDoc *doc, QWidget *parent) : QWidget(parent), m_cell(cell), m_doc(doc)
{
    setObjectName(QStringLiteral("TPCell"));
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
    UpdateGeometry();
}

void CCellView::SetSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void CCellView::UpdateGeometry()
{
    const double zoom = m_doc->Zoom();
    const QRectF &r = m_cell->m_rect;
    setGeometry(QRect(QPoint(qRound(r.x() * zoom), qRound(r.y() * zoom)),
                      QSize(std::max(1, qRound(r.width() * zoom)), std::max(1, qRound(r.height() * zoom)))));
    update();
}

QList<QPair<int, QString>> CCellView::MenuItems() const
{
    switch (m_doc->EditMode()) {
    case CTPDoc::DrawMode:
        return {{EditProperties, QStringLiteral("下级属性")},
                {BindElement, QStringLiteral("关联设备")},
                {DeleteCell, QStringLiteral("删除元件")}};
    case CTPDoc::BrowseMode:
        return {{ShowMonitorData, QStringLiteral("检测数据")}};
    default:
        return {};
    }
}

void CCellView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int mode = m_doc->EditMode();
    if (mode != CTPDoc::BrowseMode || m_selected) {
        painter.setPen(QPen(m_selected ? Qt::red : Qt::blue, 1, m_selected ? Qt::SolidLine : Qt::DashLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const QPoint corner(width() / 2 - ImageOffset, height() / 2 - ImageOffset);
    const QImage image = m_doc->StateImage(m_cell->m_state);
    if (!image.isNull()) {
        painter.drawImage(corner, image);
        return;
    }
    // Unknown state (no element bound, or a state the server should not send).
    const QRect mark(corner, QSize(2 * ImageOffset, 2 * ImageOffset));
    painter.fillRect(mark, Qt::lightGray);
    painter.setPen(Qt::darkGray);
    painter.drawRect(mark.adjusted(0, 0, -1, -1));
    painter.drawText(mark, Qt::AlignCenter, QStringLiteral("?"));
}

void CCellView::mousePressEvent(QMouseEvent *event)
{
    emit pressed(this);
    if (event->button() != Qt::LeftButton || m_doc->EditMode() != CTPDoc::ArrangeMode)
        return;
    m_pressAt = event->globalPosition().toPoint();
    m_startGeometry = geometry();
    m_resizing = event->position().x() >= width() - ResizeGrip && event->position().y() >= height() - ResizeGrip;
    m_dragging = !m_resizing;
}

void CCellView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging && !m_resizing) {
        const bool grip = m_doc->EditMode() == CTPDoc::ArrangeMode && event->position().x() >= width() - ResizeGrip &&
                          event->position().y() >= height() - ResizeGrip;
        setCursor(grip ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressAt;
    if (m_dragging) {
        QPoint to = m_startGeometry.topLeft() + delta;
        setGeometry(QRect(QPoint(std::max(0, to.x()), std::max(0, to.y())), m_startGeometry.size()));
    } else {
        setGeometry(QRect(m_startGeometry.topLeft(), QSize(std::max(MinimumSide, m_startGeometry.width() + delta.x()),
                                                           std::max(MinimumSide, m_startGeometry.height() + delta.y()))));
    }
}

void CCellView::mouseReleaseEvent(QMouseEvent *)
{
    const bool resized = m_resizing;
    if (!m_dragging && !resized)
        return;
    m_dragging = m_resizing = false;
    if (geometry() == m_startGeometry)
        return;
    // The change in pixels, divided by the zoom, goes onto the stored
    // rectangle: what was not dragged keeps its exact stored value.
    const double zoom = m_doc->Zoom();
    QRectF stored = m_cell->m_rect;
    if (resized) {
        const QSize grown = geometry().size() - m_startGeometry.size();
        stored.setSize(stored.size() + QSizeF(grown.width() / zoom, grown.height() / zoom));
    } else {
        const QPoint moved = geometry().topLeft() - m_startGeometry.topLeft();
        stored.moveTopLeft(
            QPointF(std::max(0.0, stored.x() + moved.x() / zoom), std::max(0.0, stored.y() + moved.y() / zoom)));
    }
    m_doc->SetCellGeometry(m_cell, stored);
    emit notify(MarkModified, this);
}

void CCellView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_doc->EditMode() == CTPDoc::BrowseMode)
        emit notify(OpenSubPicture, this);
}

void CCellView::contextMenuEvent(QContextMenuEvent *event)
{
    emit pressed(this);
    const auto items = MenuItems();
    if (items.isEmpty())
        return;
    QMenu menu(this);
    for (const auto &[code, text] : items)
        menu.addAction(text)->setData(code);
    if (QAction *chosen = menu.exec(event->globalPos()))
        emit notify(chosen->data().toInt(), this);
}

void CCellView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && m_doc->EditMode() == CTPDoc::DrawMode)
        emit notify(DeleteCell, this);
    else
        QWidget::keyPressEvent(event);
}
