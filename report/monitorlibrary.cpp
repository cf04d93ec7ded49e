#include "report/monitorlibrary.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

ItemDefinition ReadItem(const QXmlStreamAttributes &attributes)
{
    const auto text = [&attributes](const char *name) {
        return attributes.value(QLatin1String(name)).toString();
    };
    return ItemDefinition{text("Type"), text("Name"), text("Label"), text("Unit"), text("Primary"),
                          text("Drawtable"), text("Drawimage"), text("DrawMeasure")};
}

// Condition defaults in installed libraries carry comparison operators
// unescaped ("[丢包率 <= 20]" inside an attribute). A "<" that cannot start
// markup is read as the text it is meant to be.
QString EscapeStrayLessThan(QString text)
{
    for (qsizetype i = text.indexOf(QLatin1Char('<')); i >= 0; i = text.indexOf(QLatin1Char('<'), i + 1)) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        const bool markup = next.isLetter() || next == QLatin1Char('_') || next == QLatin1Char(':')
                            || next == QLatin1Char('/') || next == QLatin1Char('!') || next == QLatin1Char('?');
        if (!markup)
            text.replace(i, 1, QStringLiteral("&lt;"));
    }
    return text;
}

// Decodes the library text: UTF-8 when it says so in its declaration or
// carries a byte-order mark, GBK (the library's usual code page) otherwise.
QString DecodeLibrary(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(200).toLower();
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF") || head.contains("encoding=\"utf-8\"")
                      || head.contains("encoding='utf-8'");
    QStringDecoder decoder(utf8 ? "UTF-8" : "GBK");
    QString text = decoder(bytes);
    // The declaration names the bytes' code page; the text is already decoded.
    if (text.startsWith(QLatin1String("<?xml"))) {
        const qsizetype end = text.indexOf(QLatin1String("?>"));
        if (end > 0)
            text.remove(0, end + 2);
    }
    return EscapeStrayLessThan(text);
}

} // namespace

bool CMonitorLibrary::Fail(const QString &message)
{
    m_items.clear();
    m_kindLabel.clear();
    m_error = message;
    return false;
}

bool CMonitorLibrary::Load(const QString &path, const QByteArray &kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("无法打开监测库 %1 (%2)：请检查安装目录下的 config 文件夹。")
                        .arg(path, file.errorString()));
    if (file.size() > MaxFileSize)
        return Fail(QStringLiteral("监测库 %1 过大 (%2 字节)：文件可能已损坏。").arg(path).arg(file.size()));
    const QByteArray text = file.readAll();
    if (text.size() != file.size())
        return Fail(QStringLiteral("监测库 %1 读取失败 (%2)。").arg(path, file.errorString()));
    return Parse(text, kind, path);
}

bool CMonitorLibrary::Parse(const QByteArray &fileText, const QByteArray &kind, const QString &source)
{
    const QString name = source.isEmpty() ? QStringLiteral("监测库") : source;
    if (kind.isEmpty())
        return Fail(QStringLiteral("没有指定监测类型。"));
    const QString wanted = QStringDecoder("GBK")(kind);
    QXmlStreamReader xml(DecodeLibrary(fileText));
    // Depth of the asked kind's Monitor element, 0 outside it; items are read
    // from its first Return child only.
    int monitorDepth = 0;
    int depth = 0;
    bool found = false;
    bool returnRead = false;
    bool inReturn = false;
    std::vector<ItemDefinition> items;
    QString label;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (!found && xml.name() == QLatin1String("Monitor")
                && xml.attributes().value(QLatin1String("Id")) == wanted) {
                found = true;
                monitorDepth = depth;
                label = xml.attributes().value(QLatin1String("Label")).toString();
                if (label.isEmpty())
                    label = xml.attributes().value(QLatin1String("Name")).toString();
            } else if (found && !returnRead && depth == monitorDepth + 1 && xml.name() == QLatin1String("Return")) {
                inReturn = true;
            } else if (inReturn && depth == monitorDepth + 2 && xml.name() == QLatin1String("Item")) {
                items.push_back(ReadItem(xml.attributes()));
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (inReturn && depth == monitorDepth + 1) {
                inReturn = false;
                returnRead = true;
            }
            if (found && depth == monitorDepth)
                break;
            --depth;
        }
    }
    if (xml.hasError())
        return Fail(QStringLiteral("%1 不是有效的 XML (第 %2 行: %3)：请检查或重新安装该文件。")
                        .arg(name).arg(xml.lineNumber()).arg(xml.errorString()));
    if (!found)
        return Fail(QStringLiteral("监测类型 %1 不在 %2 中：请检查监测库是否与服务器一致。")
                        .arg(wanted, name));
    m_items = std::move(items);
    m_kindLabel = label;
    m_error.clear();
    return true;
}
