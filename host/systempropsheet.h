#pragma once

#include <QDialog>

#include "orb/wire/keelexport.h"

class CProApp;
class CSysPropMainPage;
class CSysPropNav;
class CSysPropPage;
class QTabWidget;

// The "SystemSet" property sheet of the command "属性设置": the main page and
// the navigation page. OK writes the pages that were shown to Keelsys.ini;
// the values take effect at the next start. Cancel writes nothing.
class KEEL_EXPORT CSystemPropSheet : public QDialog
{
    Q_OBJECT

public:
    explicit CSystemPropSheet(CProApp &app, QWidget *parent = nullptr);

    CSysPropMainPage *MainPage() const { return m_mainPage; }
    CSysPropNav *NavPage() const { return m_navPage; }
    QTabWidget *Tabs() const { return m_tabs; }
    // Makes a page current as a click on its tab does; false when the page
    // being left refuses its values.
    bool SetActivePage(int index);

    // OK: the current page checks its values, then every shown page writes.
    void accept() override;

private:
    CSysPropPage *Page(int index) const;

    QTabWidget *m_tabs = nullptr;
    CSysPropMainPage *m_mainPage = nullptr;
    CSysPropNav *m_navPage = nullptr;
    int m_current = 0;
};
