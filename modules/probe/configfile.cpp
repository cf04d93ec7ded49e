#include "modules/probe/configfile.h"

#include <QFile>

#include "frame/installroot.h"
#include "orb/wire/codepage.h"

namespace ConfigFile {

QString PathOf(const QString &relative)
{
    return InstallRoot::FilePath(relative);
}

bool Load(const QString &path, pugi::xml_document &document)
{
    document.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const std::string text = orb::toUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    const auto result = document.load_buffer(text.data(), text.size(),
                                             pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
    if (!result) {
        document.reset();
        return false;
    }
    return true;
}

} // namespace ConfigFile
