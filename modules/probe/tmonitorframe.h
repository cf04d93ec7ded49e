#pragma once

#include <memory>

#include "frame/prochildframe.h"

class CInventoryActions;
class CLeftView;
class CRUpView;
class CTMonitorDoc;
class ElementObj;
class QSplitter;

// ProbeDesk's window: the element tree on the left, the details of the
// selected element on the right. It declares the module's commands, each
// enabled only where it applies to the selected node; the module menu
// "Monitor" and the toolbar show them. The tree is fetched when the window is
// first shown.
class CTMonitorFrame : public CProChildFrame
{
    Q_OBJECT

public:
    explicit CTMonitorFrame(CTMonitorDoc *document);
    ~CTMonitorFrame() override;

    CTMonitorDoc *Document() const { return m_doc; }
    CLeftView *LeftView() const { return m_left; }
    CRUpView *DetailView() const { return m_details; }

    // Fetches the tree and expands it.
    bool Reload();

    // A tile's "Edit", "Test", "Delete" or "Alert".
    void OnTileButton(int button, const ElementObj &monitor);

protected:
    void showEvent(QShowEvent *event) override;

private:
    CTMonitorDoc *m_doc;
    std::unique_ptr<CInventoryActions> m_actions;
    QSplitter *m_splitter;
    CLeftView *m_left;
    CRUpView *m_details;
    bool m_loaded = false;
};
