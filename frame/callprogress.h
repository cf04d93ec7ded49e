#pragma once

#include <QWidget>

#include "orb/wire/keelexport.h"

class QLabel;
class QPushButton;

// The small window shown while a server call takes longer than a moment:
// "正在连接服务器…" with the server's address, and a Cancel button.
class KEEL_EXPORT CCallProgress : public QWidget
{
    Q_OBJECT

public:
    CCallProgress(const QString &address, bool chinese, QWidget *parent = nullptr);

    QPushButton *cancelButton() const { return m_cancel; }
    QString text() const;

signals:
    void cancelRequested();

protected:
    // Escape and closing the window cancel as the button does.
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_label;
    QPushButton *m_cancel;
};
