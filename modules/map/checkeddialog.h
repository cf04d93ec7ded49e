#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;

// The base of the module's dialogs: OK closes only when Check() finds
// nothing wrong, else its text is shown through the application's message
// hook and the dialog stays.
class CCheckedDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

    // Why the dialog's choice cannot be taken, or empty.
    virtual QString Check() const { return {}; }
    void accept() override;

protected:
    // OK and Cancel, connected.
    QDialogButtonBox *MakeButtons();
    // "状态元件" and "控制元件" with the kind numbers as data; kind chosen.
    QComboBox *MakeKindBox(int kind);
};
