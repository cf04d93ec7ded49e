#include "frame/localtextvalidator.h"

#include <QLineEdit>

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
    return QStringLiteral("Please enter no more than %1 characters.").arg(maxBytes);
}

QValidator::State CLocalTextValidator::validate(QString &input, int &) const
{
    return fits(input, m_maxBytes) ? Acceptable : Invalid;
}
