#pragma once

#include <memory>

#include "frame/prochildframe.h"

class CInventoryActions;
class CLeftView;
class CRUpView;
class CTMonitorDoc;
class QMenu;
class QSplitter;
class QToolBar;

// ProbeDesk's window: the element tree on the left, the details of the
// selected element on the right, the module menu "Monitor" above. The tree is
// fetched when the window is first shown. Commands act on the selected node
// and are disabled where they do not apply.
class CTMonitorFrame : public CProChildFrame
{
    Q_OBJECT

public:
    explicit CTMonitorFrame(CTMonitorDoc *document);
    ~CTMonitorFrame() override;

    CTMonitorDoc *Document() const { return m_doc; }
    CLeftView *LeftView() const { return m_left; }
    CRUpView *DetailView() const { return m_details; }
    QMenu *ModuleMenu() const { return m_menu; }

    bool OnCommand(int command) override;
    // Enables the module menu's and toolbar's commands for the current node.
    void UpdateCommands(QToolBar *toolBar = nullptr);
    // Fetches the tree and expands it.
    bool Reload();

protected:
    void showEvent(QShowEvent *event) override;

private:
    CTMonitorDoc *m_doc;
    std::unique_ptr<CInventoryActions> m_actions;
    QMenu *m_menu;
    QSplitter *m_splitter;
    CLeftView *m_left;
    CRUpView *m_details;
    bool m_loaded = false;
};
