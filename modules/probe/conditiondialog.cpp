#include "modules/probe/conditiondialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frame/localtextvalidator.h"
#include "modules/probe/conditiontext.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/probemessage.h"

CConditionDialog::CConditionDialog(const std::vector<ReturnValue> &returns, bool needsConnector, QWidget *parent)
    : QDialog(parent)
    , m_labels(new QComboBox(this))
    , m_operators(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_and(new QRadioButton(QStringLiteral("并且"), this))
    , m_or(new QRadioButton(QStringLiteral("或"), this))
    , m_needsConnector(needsConnector)
{
    setWindowTitle(QStringLiteral("条件设置"));
    for (const ReturnValue &value : returns)
        m_labels->addItem(value.label);
    for (const QString &op : ConditionText::Operators())
        m_operators->addItem(op);
    CLocalTextValidator::limit(m_value, ValueBytes);
    auto *group = new QGroupBox(QStringLiteral("设置条件"), this);
    auto *form = new QFormLayout(group);
    form->addRow(m_labels);
    form->addRow(m_operators);
    form->addRow(m_value);
    auto *connectors = new QHBoxLayout;
    connectors->addWidget(m_and);
    connectors->addWidget(m_or);
    form->addRow(connectors);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(DialogRunner::OkCancel(*this));
}

QString CConditionDialog::Check() const
{
    if (m_labels->currentIndex() < 0)
        return QStringLiteral("此检测没有可设置条件的返回值");
    if (m_needsConnector && !m_and->isChecked() && !m_or->isChecked())
        return QStringLiteral("请选择\"并且\"或\"或\"");
    const QString value = m_value->text();
    if (value.contains(QLatin1Char('<')) || value.contains(QLatin1Char('&')) || value.contains(QLatin1Char('['))
        || value.contains(QLatin1Char(']')))
        return QStringLiteral("值不能含有\"<\"、\"&\"、\"[\"或\"]\"");
    if (!CLocalTextValidator::fits(value, ValueBytes))
        return QStringLiteral("值: ") + CLocalTextValidator::tooLongMessage(ValueBytes);
    return {};
}

QString CConditionDialog::ResultText() const
{
    // The first clause of a box has no connector, whatever was chosen.
    const QString connector = !m_needsConnector ? QString()
                              : m_and->isChecked() ? QStringLiteral("and")
                                                   : QStringLiteral("or");
    return ConditionText::Clause(connector, m_labels->currentText(), m_operators->currentText(), m_value->text().trimmed());
}

void CConditionDialog::accept()
{
    if (ProbeMessage::Passed(Check()))
        QDialog::accept();
}
