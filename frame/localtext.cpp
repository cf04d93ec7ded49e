#include "frame/localtext.h"

#include "orb/wire/codepage.h"

QString fromLocal(std::string_view local)
{
    return QString::fromStdString(orb::toUtf8(local));
}

std::string toLocal(const QString &text)
{
    return orb::fromUtf8(text.toStdString());
}
