#pragma once

#include <vector>

#include <QDialog>

#include "modules/probe/monitorlibrary.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

// "条件设置": one clause for a condition box: a return value's label, an
// operator, a value and the connector to the clauses before it.
class CConditionDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ValueBytes = 63;

    // needsConnector: the box already holds a clause, so "并且" or "或" must
    // be chosen.
    CConditionDialog(const std::vector<ReturnValue> &returns, bool needsConnector, QWidget *parent = nullptr);

    QComboBox *Labels() const { return m_labels; }
    QComboBox *OperatorList() const { return m_operators; }
    QLineEdit *ValueEdit() const { return m_value; }
    QRadioButton *AndButton() const { return m_and; }
    QRadioButton *OrButton() const { return m_or; }

    // A message when the clause cannot be stored, else empty.
    QString Check() const;
    // The clause to append to the box.
    QString ResultText() const;

    void accept() override;

private:
    QComboBox *m_labels;
    QComboBox *m_operators;
    QLineEdit *m_value;
    QRadioButton *m_and;
    QRadioButton *m_or;
    bool m_needsConnector;
};
