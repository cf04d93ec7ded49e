#pragma once

#include <functional>

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class CCellView;
class CDownview;
class CTPCell;
class CTPDoc;
class QDialog;
class QRubberBand;

// The picture itself: the background drawn scaled at paint time (only the
// part being repainted), one CCellView per cell, the rubber band that draws
// a new cell, and the handling of the cells' notifications.
class CTPView : public QWidget
{
    Q_OBJECT

public:
    // Shows a dialog modally; tests answer instead.
    using DialogRunner = std::function<bool(QDialog &dialog)>;
    // A drag smaller than this in either direction is a click, not a cell.
    static constexpr int MinimumDrag = 4;

    CTPView(CTPDoc *doc, CDownview *down, QWidget *parent = nullptr);

    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    CCellView *ViewOf(const CTPCell *cell) const { return m_views.value(cell); }
    CCellView *Selected() const { return m_selected; }
    void Select(CCellView *view);

    // A notification from a cell or a toolbar (codes of CCellView; 0 to 2
    // set the edit mode). Deleting is queued: a cell never disappears inside
    // its own event handler.
    void Notify(int code, CCellView *cell);
    // Makes a cell of the rectangle between two points of this widget after
    // its property dialog; null for a click, a refused dialog or a picture
    // that is not loaded.
    CTPCell *DrawCell(const QPoint &from, const QPoint &to);
    void EditProperties(CCellView *cell);
    void BindElement(CCellView *cell);
    void ShowMonitorData(CCellView *cell);
    void ConfirmDelete(CCellView *cell);

    QSize sizeHint() const override;

signals:
    // 1032 and 1033 go on to the window as commands.
    void parentCommand(int code);
    // 1030: the window scrolls the cell into sight.
    void scrollTo(CCellView *cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void Rebuild();
    void AddView(CTPCell *cell);
    void RemoveView(CTPCell *cell);
    void Relayout();
    bool RunDialog(QDialog &dialog);

    CTPDoc *m_doc;
    CDownview *m_down;
    QHash<const CTPCell *, CCellView *> m_views;
    QPointer<CCellView> m_selected;
    QRubberBand *m_band = nullptr;
    QPoint m_bandOrigin;
    DialogRunner m_runDialog;
};
