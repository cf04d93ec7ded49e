#include "frame/localtextvalidator.h"

#include <QLineEdit>

#include "frame/hosttexts.h"
#include "frame/localtext.h"

CLocalTextValidator::CLocalTextValidator(int maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(maxBytes)
{
}

void CLocalTextValidator::limit(QLineEdit *edit, int maxBytes)
{
    edit->setValidator(new CLocalTextValidator(maxBytes, edit));
}

bool CLocalTextValidator::fits(const QString &text, int maxBytes)
{
    return toLocal(text).size() <= std::size_t(maxBytes);
}

QString CLocalTextValidator::tooLongMessage(int maxBytes)
{
    return HostText("最多只能输入 %1 个字节（一个汉字占 2 个字节）。").arg(maxBytes);
}

QValidator::State CLocalTextValidator::validate(QString &input, int &) const
{
    return fits(input, m_maxBytes) ? Acceptable : Invalid;
}
