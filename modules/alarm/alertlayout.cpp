#include "modules/alarm/alertlayout.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "frame/installroot.h"
#include "frame/localtext.h"

namespace AlertLayout {

namespace {

// Decimal attribute; missing or not a number gives 0.
int Number(const QXmlStreamAttributes &attributes, const char *name)
{
    bool ok = false;
    const int value = attributes.value(QLatin1String(name)).trimmed().toInt(&ok);
    return ok ? value : 0;
}

QString Text(const QXmlStreamAttributes &attributes, const char *name)
{
    return attributes.value(QLatin1String(name)).toString();
}

// Cuts text after the last whole character within maxBytes of the code page.
QString Limited(QString text, int maxBytes)
{
    text.truncate(maxBytes); // every character takes a byte at least
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    while (int(toLocal(text).size()) > maxBytes)
        text.chop(1);
    return text;
}

CLayoutEntry EntryOf(const QXmlStreamAttributes &attributes)
{
    CLayoutEntry entry;
    entry.rect = QRect(QPoint(Number(attributes, "left"), Number(attributes, "top")),
                       QPoint(Number(attributes, "right") - 1, Number(attributes, "bottom") - 1));
    entry.id = Number(attributes, "Id");
    entry.name = Limited(Text(attributes, "Name"), MaxNameBytes);
    entry.type = Number(attributes, "Type");
    entry.on = Text(attributes, "status").trimmed() == QLatin1String("1");
    entry.parentId = Number(attributes, "ParentId");
    entry.paraName = Text(attributes, "ParaName");
    entry.paraValue = Text(attributes, "ParaValue");
    entry.password = Text(attributes, "bPsw").trimmed() == QLatin1String("true");
    return entry;
}

} // namespace

Result Parse(const QByteArray &bytes, const QString &element)
{
    // The files are in the code page whatever their declaration says; the
    // declaration goes, and one root around the entries makes a list of
    // top-level entries a document.
    QString text = fromLocal(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    static const QRegularExpression declaration(QStringLiteral("^\\s*<\\?xml[^>]*\\?>"));
    text.remove(declaration);
    QXmlStreamReader reader(QStringLiteral("<layout>") + text + QStringLiteral("</layout>"));

    Result result;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            result.entries.append(EntryOf(reader.attributes()));
    }
    if (reader.hasError())
        result.warning = QStringLiteral("报警配置文件格式错误(第%1行: %2)，只读取了前%3项")
                             .arg(reader.lineNumber())
                             .arg(reader.errorString())
                             .arg(result.entries.size());
    return result;
}

Result Read(const QString &file, const QString &element)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        Result missing;
        missing.warning = QStringLiteral("无法读取报警配置文件 %1 (%2)：请检查安装目录下的 %3 文件夹")
                              .arg(file, input.errorString(), QLatin1String(Folder));
        return missing;
    }
    Result result = Parse(input.readAll(), element);
    if (!result.warning.isEmpty())
        result.warning = file + QStringLiteral(": ") + result.warning;
    return result;
}

QString PathOf(const char *fileName)
{
    return InstallRoot::FilePath(QLatin1String(Folder) + QLatin1Char('/') + QLatin1String(fileName));
}

} // namespace AlertLayout
