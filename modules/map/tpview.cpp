#include "modules/map/tpview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include "frame/proapp.h"
#include "modules/map/binddialog.h"
#include "modules/map/cellpropertydialog.h"
#include "modules/map/cellview.h"
#include "modules/map/downview.h"
#include "modules/map/tpdoc.h"
#include "services/types/elementobj.h"

namespace {

// The rectangle a drag covers, whichever way it went.
QRect Span(const QPoint &a, const QPoint &b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

} // namespace

CTPView::CTPView(CTPDoc *doc, CDownview *down, QWidget *parent) : QWidget(parent), m_doc(doc), m_down(down)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(doc, &CTPDoc::pictureOpened, this, &CTPView::Rebuild);
    connect(doc, &CTPDoc::cellAdded, this, &CTPView::AddView);
    connect(doc, &CTPDoc::cellRemoved, this, &CTPView::RemoveView);
    connect(doc, &CTPDoc::cellChanged, this, [this](CTPCell *cell) {
        if (CCellView *view = ViewOf(cell))
            view->UpdateGeometry();
        Relayout();
    });
    connect(doc, &CTPDoc::zoomChanged, this, [this] {
        for (CCellView *view : std::as_const(m_views))
            view->UpdateGeometry();
        Relayout();
    });
    connect(doc, &CTPDoc::editModeChanged, this, [this] {
        for (CCellView *view : std::as_const(m_views))
            view->update();
    });
}

bool CTPView::RunDialog(QDialog &dialog)
{
    return m_runDialog ? m_runDialog(dialog) : dialog.exec() == QDialog::Accepted;
}

void CTPView::Rebuild()
{
    for (CCellView *view : std::as_const(m_views))
        delete view;
    m_views.clear();
    for (const auto &cell : m_doc->Cells())
        AddView(cell.get());
    Relayout();
    if (m_down)
        m_down->Clear();
}

void CTPView::AddView(CTPCell *cell)
{
    auto *view = new CCellView(cell, m_doc, this);
    m_views.insert(cell, view);
    connect(view, &CCellView::notify, this, &CTPView::Notify);
    connect(view, &CCellView::pressed, this, &CTPView::Select);
    view->show();
}

void CTPView::RemoveView(CTPCell *cell)
{
    if (CCellView *view = m_views.take(cell)) {
        view->hide();
        view->deleteLater();
    }
}

void CTPView::Relayout()
{
    resize(sizeHint());
    update();
}

QSize CTPView::sizeHint() const
{
    const QSize canvas = m_doc->CanvasSize();
    const double zoom = m_doc->Zoom();
    return QSize(std::max(1, qRound(canvas.width() * zoom)), std::max(1, qRound(canvas.height() * zoom)));
}

void CTPView::Select(CCellView *view)
{
    if (m_selected == view)
        return;
    if (m_selected)
        m_selected->SetSelected(false);
    m_selected = view;
    if (view)
        view->SetSelected(true);
}

void CTPView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    const QImage &image = m_doc->BackgroundPicture().Image();
    if (image.isNull())
        return;
    // Only the exposed part is scaled, straight from the loaded pixels.
    const double zoom = m_doc->Zoom();
    const QRect picture(QPoint(0, 0), QSize(qRound(image.width() * zoom), qRound(image.height() * zoom)));
    const QRect target = exposed & picture;
    if (target.isEmpty())
        return;
    const QRectF source(target.x() / zoom, target.y() / zoom, target.width() / zoom, target.height() / zoom);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom < 1.0);
    painter.drawImage(QRectF(target), image, source);
}

void CTPView::mousePressEvent(QMouseEvent *event)
{
    Select(nullptr);
    if (event->button() != Qt::LeftButton || m_doc->EditMode() != CTPDoc::DrawMode || !m_doc->IsLoaded())
        return;
    m_bandOrigin = event->position().toPoint();
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, this);
    m_band->setGeometry(QRect(m_bandOrigin, QSize()));
    m_band->show();
    grabMouse();
}

void CTPView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_band && m_band->isVisible())
        m_band->setGeometry(Span(m_bandOrigin, event->position().toPoint()));
}

void CTPView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_band || !m_band->isVisible())
        return;
    releaseMouse();
    m_band->hide();
    DrawCell(m_bandOrigin, event->position().toPoint());
}

CTPCell *CTPView::DrawCell(const QPoint &from, const QPoint &to)
{
    // Dragged up or left works as well; a click makes nothing.
    const QRect band = Span(from, to) & rect();
    if (!m_doc->IsLoaded() || band.width() < MinimumDrag || band.height() < MinimumDrag)
        return nullptr;
    CCellPropertyDialog dialog(0, QString(), this);
    if (!RunDialog(dialog))
        return nullptr;
    const double zoom = m_doc->Zoom();
    const QRectF stored(band.x() / zoom, band.y() / zoom, band.width() / zoom, band.height() / zoom);
    CTPCell *cell = m_doc->AddCell(stored, dialog.Kind(), dialog.Image());
    if (cell)
        Select(ViewOf(cell));
    return cell;
}

void CTPView::Notify(int code, CCellView *cell)
{
    CTPCell *data = cell ? cell->Cell() : nullptr;
    switch (code) {
    case 0:
    case 1:
    case 2:
        m_doc->SetEditMode(code);
        break;
    case CCellView::DeleteCell:
        // Later, outside the cell's own handler.
        QMetaObject::invokeMethod(this, [this, view = QPointer<CCellView>(cell)] { ConfirmDelete(view); },
                                  Qt::QueuedConnection);
        break;
    case CCellView::OpenSubPicture:
        QMetaObject::invokeMethod(this, [this, view = QPointer<CCellView>(cell)] {
                if (view)
                    m_doc->EnterSubPicture(view->Cell());
            }, Qt::QueuedConnection);
        break;
    case CCellView::RefreshCell:
        m_doc->RefreshCell(data);
        break;
    case CCellView::ScrollToStored:
        if (CCellView *target = cell ? cell : m_selected.data())
            emit scrollTo(target);
        break;
    case CCellView::MarkModified:
        m_doc->SetModified(true);
        break;
    case CCellView::ParentCommandA:
    case CCellView::ParentCommandB:
        emit parentCommand(code);
        break;
    case CCellView::SavePicture:
        m_doc->Save();
        break;
    case CCellView::EditProperties:
        EditProperties(cell);
        break;
    case CCellView::BindElement:
        BindElement(cell);
        break;
    case CCellView::ShowMonitorData:
        ShowMonitorData(cell);
        break;
    default:
        break;
    }
}

void CTPView::ConfirmDelete(CCellView *cell)
{
    CProApp *app = CProApp::instance();
    if (!cell || !app || !app->AskQuestion(QStringLiteral("确定要删除此元件吗?")))
        return;
    m_doc->DeleteCell(cell->Cell());
}

void CTPView::EditProperties(CCellView *cell)
{
    if (!cell)
        return;
    CTPCell *data = cell->Cell();
    CCellPropertyDialog dialog(data->m_kind, data->m_image, this);
    if (RunDialog(dialog))
        m_doc->SetCellProperties(data, dialog.Kind(), dialog.Image());
}

void CTPView::BindElement(CCellView *cell)
{
    if (!cell)
        return;
    CBindDialog dialog(cell->Cell()->m_mid, this);
    if (dialog.LoadTree(m_doc->ElementService()) && RunDialog(dialog))
        m_doc->BindCell(cell->Cell(), dialog.ChosenId());
}

void CTPView::ShowMonitorData(CCellView *cell)
{
    if (!cell || !m_down)
        return;
    ElementObj element;
    std::vector<ElementObj> monitors;
    if (cell->Cell()->m_mid.isEmpty()) {
        if (CProApp *app = CProApp::instance())
            app->ShowMessage(QStringLiteral("此元件没有关联设备：请在编辑状态下右击元件，选择“关联设备”"));
        return;
    }
    if (m_doc->ReadMonitorData(cell->Cell()->m_mid, element, monitors))
        m_down->Show(element, monitors);
}
