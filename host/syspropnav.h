#pragma once

#include "host/sysproppage.h"

class QRadioButton;

// The page "导航设置" ("navigater set"): which navigation bar the main frame
// gets at the next start, "1" for group icons, "2" for the tree.
class KEEL_EXPORT CSysPropNav : public CSysPropPage
{
    Q_OBJECT

public:
    explicit CSysPropNav(CProApp &app, QWidget *parent = nullptr);

    QRadioButton *GroupIconButton() const { return m_groupIcon; }
    QRadioButton *TreeButton() const { return m_tree; }
    QString Kind() const { return m_kind; }

    void OnOK() override;

protected:
    void OnInitPage() override;

private:
    QRadioButton *m_groupIcon = nullptr;
    QRadioButton *m_tree = nullptr;
    QString m_kind;
};
