#pragma once

#include "frame/promainframe.h"

class COutlookBar;

// The main frame with the group-icon navigation bar: one folder per group,
// one item per module entry; large or small icons by navigation type.
class KEEL_EXPORT CIconNavFrame : public CProMainFrame
{
    Q_OBJECT

public:
    explicit CIconNavFrame(CProApp *app);

    void CreateNavigationBar() override;
    // Type 0 shows small icons, any other value large ones (stored as 1).
    void SetNavigationType(int type) override;
    int ToggleNavigationType() override;
    int NavigationType() const { return m_type; }
    COutlookBar *OutlookBar() const { return m_bar; }

private:
    COutlookBar *m_bar = nullptr;
    int m_type = 1;
};
