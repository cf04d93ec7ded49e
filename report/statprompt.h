#pragma once

#include <functional>

#include <QString>

class QWidget;

// Every message box and question of the report program goes through here, so
// tests can answer them and read what would have been shown.
class CStatPrompt
{
public:
    enum class Icon { Information, Warning, Error };
    using MessageHook = std::function<void(const QString &text, Icon icon)>;
    using QuestionHook = std::function<bool(const QString &text)>;

    static void Show(QWidget *parent, const QString &text, Icon icon = Icon::Information);
    // True for OK.
    static bool Ask(QWidget *parent, const QString &text);

    // Empty hooks restore the message boxes.
    static void SetHooks(MessageHook message, QuestionHook question);
};
