#include "frame/identifiers.h"

#include <QUuid>

namespace Identifiers {

QString NewId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool IsId(const QString &text)
{
    return text.size() == Length && !QUuid::fromString(text).isNull();
}

} // namespace Identifiers
