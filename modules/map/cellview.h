#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class CTPCell;
class CTPDoc;

// The window of one cell on the picture: the state image of its element, its
// frame while editing, its context menu. It changes nothing itself; it tells
// the picture view what the user asked for by a notification code.
class CCellView : public QWidget
{
    Q_OBJECT

public:
    // Notification codes understood by the picture view.
    enum Notification {
        DeleteCell = 1027,
        OpenSubPicture = 1028,
        RefreshCell = 1029,
        ScrollToStored = 1030,
        MarkModified = 1031,
        ParentCommandA = 1032,
        ParentCommandB = 1033,
        SavePicture = 1034,
        // Context menu items of this module beyond the codes above.
        EditProperties = 2001,
        BindElement = 2002,
        ShowMonitorData = 2003,
    };
    static constexpr int ImageOffset = 6;
    static constexpr int ResizeGrip = 6;

    CCellView(CTPCell *cell, CTPDoc *doc, QWidget *parent);

    CTPCell *Cell() const { return m_cell; }
    void SetSelected(bool selected);
    // Places the window at the cell's rectangle times the zoom.
    void UpdateGeometry();
    // The actions of the context menu in the current edit mode, by code.
    QList<QPair<int, QString>> MenuItems() const;

signals:
    void notify(int code, CCellView *cell);
    void pressed(CCellView *cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    CTPCell *m_cell;
    CTPDoc *m_doc;
    bool m_selected = false;
    bool m_dragging = false;
    bool m_resizing = false;
    QPoint m_pressAt;
    QRect m_startGeometry;
};
