#include "report/csvexport.h"

#include <QSaveFile>

#include "report/reportdata.h"

namespace {

QString StateName(CReportData::State state)
{
    switch (state) {
    case CReportData::Normal:
        return QStringLiteral("正常");
    case CReportData::Danger:
        return QStringLiteral("危险");
    case CReportData::Error:
        break;
    }
    return QStringLiteral("错误");
}

} // namespace

QString CCsvExport::Field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool CCsvExport::Write(const QString &path, const CReportData &data, const std::vector<ItemDefinition> &items,
                       QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QStringList header{QStringLiteral("时间"), QStringLiteral("状态"), QStringLiteral("备注")};
    for (const ItemDefinition &item : items)
        header << Field(item.Caption());
    QByteArray chunk("\xEF\xBB\xBF");
    chunk += header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    const int itemCount = std::min<int>(int(items.size()), data.ItemCount());
    for (int line = 0; line < data.LineCount(); ++line) {
        QString row = Field(CReportData::Decode(data.TimeText(line))) + QLatin1Char(',')
                      + StateName(data.StateOf(line)) + QLatin1Char(',') + Field(CReportData::Decode(data.Remark(line)));
        for (int item = 0; item < itemCount; ++item)
            row += QLatin1Char(',') + Field(CReportData::Decode(data.ValueText(line, item)));
        chunk += row.toUtf8() + "\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
