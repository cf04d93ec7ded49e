#include "host/syspropmainpage.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "frame/hosttexts.h"
#include "frame/proapp.h"
#include "frame/localtextvalidator.h"

namespace {

// The port as the framework reads an integer field: optional blanks and sign
// around decimal digits, nothing else.
bool parsePort(const QString &text, int &port)
{
    bool ok = false;
    port = text.trimmed().toInt(&ok, 10);
    return ok;
}

} // namespace

CSysPropMainPage::CSysPropMainPage(CProApp &app, QWidget *parent)
    : CSysPropPage(app, app.GetLanguage() == QLatin1String("cn") ? QStringLiteral("基础参数")
                                                                  : QStringLiteral("SysProp"),
                   parent)
{
    setObjectName(IsChinese() ? QStringLiteral("dialog106") : QStringLiteral("dialog159"));
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("control169"));
    CLocalTextValidator::limit(m_address, MaxAddressLength);
    m_port = new QLineEdit(this);
    m_port->setObjectName(QStringLiteral("control170"));
    m_port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), m_port));
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("control171"));
    CLocalTextValidator::limit(m_user, MaxUserLength);

    auto *layout = new QFormLayout(this);
    const bool cn = IsChinese();
    layout->addRow(cn ? QStringLiteral("服务器地址：") : QStringLiteral("Server address:"), m_address);
    layout->addRow(cn ? QStringLiteral("服务器端口：") : QStringLiteral("Server port:"), m_port);
    layout->addRow(cn ? QStringLiteral("缺省用户：") : QStringLiteral("Default user:"), m_user);
}

void CSysPropMainPage::OnInitPage()
{
    m_address->setText(m_app.GetProfileString("SYS", QStringLiteral("mainServerIP"), QStringLiteral("127.0.0.1")));
    m_port->setText(QString::number(m_app.GetProfileInt("SYS", QStringLiteral("mainServerPort"), DefaultPort)));
    m_user->setText(m_app.GetProfileString("SYS", QStringLiteral("sysdefaultuser")));
}

QString CSysPropMainPage::Check(QWidget **control) const
{
    auto refuse = [control](QWidget *edit, const QString &message) {
        if (control)
            *control = edit;
        return message;
    };
    if (!CLocalTextValidator::fits(m_address->text(), MaxAddressLength))
        return refuse(m_address, CLocalTextValidator::tooLongMessage(MaxAddressLength));
    int port = 0;
    if (!parsePort(m_port->text(), port))
        return refuse(m_port, HostText("请输入整数。"));
    if (port < MinPort || port > MaxPort)
        return refuse(m_port, HostText("请输入 %1 到 %2 之间的整数。").arg(MinPort).arg(MaxPort));
    if (!CLocalTextValidator::fits(m_user->text(), MaxUserLength))
        return refuse(m_user, CLocalTextValidator::tooLongMessage(MaxUserLength));
    return {};
}

bool CSysPropMainPage::OnKillActive()
{
    QWidget *control = nullptr;
    const QString refusal = Check(&control);
    if (refusal.isEmpty())
        return true;
    Refuse(control, refusal);
    return false;
}

void CSysPropMainPage::OnOK()
{
    int port = 0;
    parsePort(m_port->text(), port);
    m_app.WriteProfileString("SYS", QStringLiteral("mainServerIP"), m_address->text());
    m_app.WriteProfileInt("SYS", QStringLiteral("mainServerPort"), port);
    m_app.WriteProfileString("SYS", QStringLiteral("sysdefaultuser"), m_user->text());
}
