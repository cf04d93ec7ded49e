#pragma once

#include <QDialog>

#include "frame/alertlog/alertlogmodel.h"

class CAlertLogSource;
class QPushButton;
class QTableView;

// The alert log of one monitor or rule (dialog 1029): the list 2001 with one
// row per entry, "确定" and "退出" to close, "清除" to delete the log on the
// server. The entries are fetched when the dialog is made.
class KEEL_EXPORT CAlertLogDialog : public QDialog
{
    Q_OBJECT

public:
    enum ButtonId { OkId = 1001, ExitId = 1002, ClearId = 1003, ListId = 2001 };

    explicit CAlertLogDialog(CAlertLogSource &source, QWidget *parent = nullptr);

    // Fetches the log again; the rows stay as they were when that fails.
    bool Refresh();
    // "清除": asks the clear question first when one is set; the rows go
    // only when the server agreed.
    bool ClearLog();
    // The question "清除" asks through CProApp::AskQuestion (none when empty).
    void SetClearQuestion(const QString &question) { m_clearQuestion = question; }
    // A width other than the usual one; 0 hides the column.
    void SetColumnWidth(int column, int width);

    CAlertLogModel &Model() { return m_model; }
    QTableView *List() const { return m_list; }
    QPushButton *ClearButton() const { return m_clear; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *ExitButton() const { return m_exit; }

private:
    CAlertLogSource &m_source;
    CAlertLogModel m_model;
    QTableView *m_list;
    QPushButton *m_ok;
    QPushButton *m_exit;
    QPushButton *m_clear;
    QString m_clearQuestion;
};
