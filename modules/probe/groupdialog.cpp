#include "modules/probe/groupdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/probemessage.h"
#include "services/types/elementobj.h"

CGroupDialog::CGroupDialog(QWidget *parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_description(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("组维护"));
    CLocalTextValidator::limit(m_name, NameBytes);
    CLocalTextValidator::limit(m_description, DescriptionBytes);
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("组名称"), m_name);
    layout->addRow(QStringLiteral("描  述"), m_description);
    layout->addRow(DialogRunner::OkCancel(*this));
}

void CGroupDialog::Load(const ElementObj &element)
{
    m_name->setText(fromLocal(element.get(ElementObj::Text)));
    m_description->setText(fromLocal(element.get(ElementObj::Monitor_Description)));
}

QString CGroupDialog::Store(ElementObj &element) const
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("请输入组名称");
    if (!CLocalTextValidator::fits(name, NameBytes))
        return QStringLiteral("组名称: ") + CLocalTextValidator::tooLongMessage(NameBytes);
    if (!CLocalTextValidator::fits(m_description->text(), DescriptionBytes))
        return QStringLiteral("描述: ") + CLocalTextValidator::tooLongMessage(DescriptionBytes);
    element.set(ElementObj::Text, toLocal(name));
    element.set(ElementObj::Monitor_Description, toLocal(m_description->text()));
    return {};
}

void CGroupDialog::accept()
{
    ElementObj probe;
    if (ProbeMessage::Passed(Store(probe)))
        QDialog::accept();
}
