#include "report/statprompt.h"

#include <QMessageBox>

namespace {

CStatPrompt::MessageHook &MessageHookSlot()
{
    static CStatPrompt::MessageHook hook;
    return hook;
}

CStatPrompt::QuestionHook &QuestionHookSlot()
{
    static CStatPrompt::QuestionHook hook;
    return hook;
}

const QString Caption = QStringLiteral("检测报告");

} // namespace

void CStatPrompt::Show(QWidget *parent, const QString &text, Icon icon)
{
    if (MessageHookSlot()) {
        MessageHookSlot()(text, icon);
        return;
    }
    switch (icon) {
    case Icon::Information:
        QMessageBox::information(parent, Caption, text);
        break;
    case Icon::Warning:
        QMessageBox::warning(parent, Caption, text);
        break;
    case Icon::Error:
        QMessageBox::critical(parent, Caption, text);
        break;
    }
}

bool CStatPrompt::Ask(QWidget *parent, const QString &text)
{
    if (QuestionHookSlot())
        return QuestionHookSlot()(text);
    return QMessageBox::question(parent, Caption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void CStatPrompt::SetHooks(MessageHook message, QuestionHook question)
{
    MessageHookSlot() = std::move(message);
    QuestionHookSlot() = std::move(question);
}
