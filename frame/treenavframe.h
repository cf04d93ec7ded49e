#pragma once

#include "frame/promainframe.h"

class QTreeWidget;

// The main frame with the tree navigation bar: one root per group, the module
// entries below it; a double click opens the entry.
class KEEL_EXPORT CTreeNavFrame : public CProMainFrame
{
    Q_OBJECT

public:
    static constexpr int InitialBarWidth = 300;

    explicit CTreeNavFrame(CProApp *app);

    void CreateNavigationBar() override;
    QTreeWidget *Tree() const { return m_tree; }

private:
    QTreeWidget *m_tree = nullptr;
};
