#pragma once

#include "frame/prochildframe.h"

class CDownview;
class CTPDoc;
class CTPView;
class QScrollArea;
class QSplitter;

// MapDesk's window: the picture above (scrolled), the monitoring data of a
// cell below, and the module's commands (modes, pictures, save, zoom).
class CTPFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum MapCommand {
        BrowseMode = 32780,
        DrawMode,
        ArrangeMode,
        TopPicture,
        BackPicture,
        SavePicture,
        ZoomIn,
        ZoomOut,
        ZoomReset,
        ReloadPicture,
        CellImages,
    };

    explicit CTPFrame(CTPDoc *document);

    CTPDoc *Document() const { return m_doc; }
    CTPView *View() const { return m_view; }
    CDownview *Down() const { return m_down; }
    QScrollArea *ScrollArea() const { return m_scroll; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowCellImages();

    CTPDoc *m_doc;
    QSplitter *m_splitter;
    QScrollArea *m_scroll;
    CDownview *m_down;
    CTPView *m_view;
    bool m_opened = false;
};
