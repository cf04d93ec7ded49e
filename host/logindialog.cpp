#include "host/logindialog.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/localtextvalidator.h"
#include "orb/profile/profilefile.h"

CLoginDialog::CLoginDialog(const ProfileFile &profile, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("dialog158"));

    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("control162"));
    CLocalTextValidator::limit(m_user, MaxLength);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("control163"));
    m_password->setEchoMode(QLineEdit::Password);
    CLocalTextValidator::limit(m_password, MaxLength);
    m_chinese = new QRadioButton(QStringLiteral("中文版"), this);
    m_chinese->setObjectName(QStringLiteral("control164"));
    m_english = new QRadioButton(QStringLiteral("English version"), this);
    m_english->setObjectName(QStringLiteral("control165"));
    m_product = new QPlainTextEdit(this);
    m_product->setObjectName(QStringLiteral("control173"));
    m_product->setReadOnly(true);
    m_product->setMaximumHeight(90);
    m_product->installEventFilter(this);
    // Read only: Tab passes it by.
    m_product->setFocusPolicy(Qt::NoFocus);
    m_ok = new QPushButton(QStringLiteral("确定(&Y)"), this);
    m_ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("用户(USER)："), m_user);
    fields->addRow(QStringLiteral("密码(PWD) ："), m_password);
    auto *languages = new QHBoxLayout;
    languages->addWidget(m_chinese);
    languages->addWidget(m_english);
    languages->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_product);
    layout->addLayout(fields);
    layout->addLayout(languages);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    // Tab runs user, password, language, OK, Cancel.
    const QList<QWidget *> order = {m_user, m_password, m_chinese, m_english, m_ok, cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    m_user->setText(fromLocal(profile.readString("SYS", "sysdefaultuser")));
    m_chinese->setChecked(true);
    m_product->setPlainText(productLines(fromLocal(profile.readString("SYS", "production"))));
    (m_user->text().isEmpty() ? m_user : m_password)->setFocus();
}

QString CLoginDialog::productLines(const QString &production)
{
    QString lines = production;
    return lines.replace(QLatin1Char(','), QLatin1Char('\n'));
}

QString CLoginDialog::userName() const
{
    return m_user->text();
}

QString CLoginDialog::password() const
{
    return m_password->text();
}

QString CLoginDialog::language() const
{
    return m_english->isChecked() ? QStringLiteral("en") : QStringLiteral("cn");
}

void CLoginDialog::accept()
{
    // The edits refuse longer input, but the name read from Keelsys.ini may be longer.
    for (QLineEdit *edit : {m_user, m_password}) {
        if (!CLocalTextValidator::fits(edit->text(), MaxLength)) {
            if (CProApp *app = CProApp::instance())
                app->ShowMessageBox(CLocalTextValidator::tooLongMessage(MaxLength),
                                    QString::fromUtf8(CProApp::MainTitle), CProApp::MessageIcon::Warning);
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    QDialog::accept();
}

bool CLoginDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_product && event->type() == QEvent::FocusIn)
        m_password->setFocus();
    return QDialog::eventFilter(watched, event);
}
