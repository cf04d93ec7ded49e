#pragma once

#include "frame/prochildframe.h"

class CRightView;
class CWatchDoc;
class QSplitter;
class QTreeView;

// PerfDesk's window: the watch-type tree on the left (10/32 of the width),
// the status lines on the right (22/32). The tree is fetched when the window
// is first shown and on "刷新"; choosing a type fetches its lines.
class CWatchFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum Command { Relogin = 32771, Refresh = 32774 };

    explicit CWatchFrame(CWatchDoc *document);

    CWatchDoc *Document() const { return m_doc; }
    QTreeView *LeftView() const { return m_left; }
    CRightView *RightView() const { return m_right; }
    QSplitter *Splitter() const { return m_splitter; }

    // The user picked a tree item.
    void Choose(const QModelIndex &index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    CWatchDoc *m_doc;
    QSplitter *m_splitter;
    QTreeView *m_left;
    CRightView *m_right;
    bool m_loaded = false;
};
