#pragma once

#include "host/sysproppage.h"

class QLineEdit;

// The page "基础参数" ("SysProp"): the application server's address and port
// and the user name the login dialog starts with.
class KEEL_EXPORT CSysPropMainPage : public CSysPropPage
{
    Q_OBJECT

public:
    static constexpr int MaxAddressLength = 15;
    static constexpr int MaxUserLength = 20;
    static constexpr int MinPort = 1024;
    static constexpr int MaxPort = 9999;
    // The page's own default for a missing "mainServerPort".
    static constexpr int DefaultPort = 9000;

    explicit CSysPropMainPage(CProApp &app, QWidget *parent = nullptr);

    QLineEdit *AddressEdit() const { return m_address; }
    QLineEdit *PortEdit() const { return m_port; }
    QLineEdit *UserEdit() const { return m_user; }

    // The first refusal of the fields, in the order of the controls, or an
    // empty text; control is the edit at fault.
    QString Check(QWidget **control = nullptr) const;

    bool OnKillActive() override;
    void OnOK() override;

protected:
    void OnInitPage() override;

private:
    QLineEdit *m_address = nullptr;
    QLineEdit *m_port = nullptr;
    QLineEdit *m_user = nullptr;
};
