// The editor's layout files: XML parsed with exact attribute names in any
// order, files read whole and read-only, the sample installation files.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "frame/localtext.h"
#include "modules/alarm/alertlayout.h"
#include "testsupport/recordingapp.h"
#include "testsupport/tempfolder.h"

namespace {

QByteArray Gbk(const QString &text)
{
    const std::string bytes = toLocal(text);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

TEST(AlertLayout, AttributesMatchExactlyInAnyOrder)
{
    // ParentId and ParaName come before Id and Name: a search for "Id=\"" or
    // "Name=\"" would find their tails first.
    const auto result = AlertLayout::Parse(
        Gbk(QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
                           "<AlertType ParentId=\"1990\" ParaName=\"MailAddress\" Name=\"收件人\" Id=\"7\" "
                           "bPsw=\"true\" bottom=\"40\" top=\"20\" right=\"300\" left=\"10\"></AlertType>\n"
                           "<AlertType Id=\"8\" Name=\"x\" ParentId=\"19901\" left=\"abc\"/>\n"
                           "<SendRule Id=\"9\"></SendRule>")),
        QStringLiteral("AlertType"));
    EXPECT_TRUE(result.warning.isEmpty()) << result.warning.toStdString();
    ASSERT_EQ(result.entries.size(), 2) << "top-level entries without a root, self-closing or not";
    const CLayoutEntry &first = result.entries[0];
    EXPECT_EQ(first.id, 7);
    EXPECT_EQ(first.parentId, 1990);
    EXPECT_EQ(first.name, QStringLiteral("收件人"));
    EXPECT_EQ(first.paraName, QStringLiteral("MailAddress"));
    EXPECT_TRUE(first.password);
    EXPECT_EQ(first.rect, QRect(QPoint(10, 20), QPoint(299, 39)));
    EXPECT_EQ(result.entries[1].parentId, 19901) << "ParentId is taken whole, not by prefix";
    EXPECT_EQ(result.entries[1].rect.left(), 0) << "a value that is not a number reads as 0";
}

TEST(AlertLayout, FilesAreReadWholeReadOnlyAndDamageIsReported)
{
    TempFolder folder;
    // Over 10,240 bytes: every entry counts, also those past that mark.
    QString big = QStringLiteral("<SendRules>");
    for (int index = 0; index < 200; ++index)
        big += QStringLiteral("<SendRule Id=\"%1\" Name=\"规则%1\" status=\"%2\"></SendRule>\n").arg(index).arg(index == 150);
    big += QStringLiteral("</SendRules>");
    const QByteArray bytes = Gbk(big);
    ASSERT_GT(bytes.size(), 10240);
    const std::string path = folder.write("SendRule.xml", bytes.toStdString());
    const auto whole = AlertLayout::Read(QString::fromStdString(path), QStringLiteral("SendRule"));
    ASSERT_EQ(whole.entries.size(), 200);
    EXPECT_EQ(whole.entries[199].name, QStringLiteral("规则199"));
    EXPECT_TRUE(whole.entries[150].on);
    EXPECT_FALSE(whole.entries[149].on);

    const QString missing = QString::fromStdString(folder.file("AlertConfig/AlertType.xml"));
    const auto none = AlertLayout::Read(missing, QStringLiteral("AlertType"));
    EXPECT_TRUE(none.entries.isEmpty());
    EXPECT_TRUE(none.warning.contains(QStringLiteral("AlertType.xml")));
    EXPECT_FALSE(QFileInfo::exists(missing)) << "reading never creates the file";

    const std::string broken = folder.write("broken.xml", "<SendRule Id=\"1\"></SendRule><SendRule Id=\"2\" <x>");
    const auto part = AlertLayout::Read(QString::fromStdString(broken), QStringLiteral("SendRule"));
    EXPECT_EQ(part.entries.size(), 1);
    EXPECT_FALSE(part.warning.isEmpty());
}

TEST(AlertLayout, MalformedInputNeverCrashesAndLimitsNames)
{
    const QByteArray corpus[] = {
        QByteArray(),
        QByteArray("\0\xff\xfe<<<>>>", 9),
        QByteArray("<AlertType"),
        QByteArray("<AlertType Id=\"1\" Id=\"2\"></AlertType>"),
        QByteArray("<AlertType Id=\"99999999999999999999\" left=\"-5\"/></AlertTypes>"),
        QByteArray("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]><AlertType Name=\"&a;\"/>"),
        QByteArray(100000, '<'),
    };
    for (const QByteArray &bytes : corpus) {
        const auto result = AlertLayout::Parse(bytes, QStringLiteral("AlertType"));
        for (const CLayoutEntry &entry : result.entries)
            EXPECT_LE(toLocal(entry.name).size(), std::size_t(AlertLayout::MaxNameBytes));
    }
    EXPECT_FALSE(AlertLayout::Parse(corpus[1], QStringLiteral("AlertType")).warning.isEmpty());

    // A label over 127 bytes is cut after its last whole character.
    const QString longName(100, QChar(u'报')); // 200 bytes
    const auto cut = AlertLayout::Parse(Gbk(QStringLiteral("<AlertType Name=\"%1\"/>").arg(longName)),
                                        QStringLiteral("AlertType"));
    ASSERT_EQ(cut.entries.size(), 1);
    EXPECT_EQ(cut.entries[0].name, QString(63, QChar(u'报')));
}

// The sample files shipped for the demo, as the demo folder holds them (GBK).
AlertLayout::Result Sample(const char *file, const char *element)
{
    QFile source(QStringLiteral(ALARM_SAMPLE_DIR "/") + QLatin1String(file) + QStringLiteral(".in"));
    EXPECT_TRUE(source.open(QIODevice::ReadOnly)) << file;
    return AlertLayout::Parse(Gbk(QString::fromUtf8(source.readAll())), QLatin1String(element));
}

TEST(AlertLayout, SampleFilesGiveTheDemoTypesSendRulesAndParameters)
{
    const auto types = Sample("AlertType.xml", "AlertType");
    const auto sends = Sample("SendRule.xml", "SendRule");
    const auto parameters = Sample("AlertTypeParam.xml", "AlertType");
    for (const auto *result : {&types, &sends, &parameters})
        EXPECT_TRUE(result->warning.isEmpty()) << result->warning.toStdString();
    ASSERT_EQ(types.entries.size(), 4);
    EXPECT_EQ(types.entries[0].id, AlertLayout::FirstAlertTypeId);
    EXPECT_EQ(sends.entries.size(), 3);
    // The parameter names the server's demo rules carry, per alert type.
    const QStringList expected[] = {{QStringLiteral("MailAddress"), QStringLiteral("MailSubject")},
                                    {QStringLiteral("SoundFile")},
                                    {QStringLiteral("ScriptPath")},
                                    {QStringLiteral("MobileNumber")}};
    for (int type = 0; type < 4; ++type) {
        QStringList names;
        for (const CLayoutEntry &entry : parameters.entries) {
            if (entry.parentId == types.entries[type].id)
                names.append(entry.paraName);
        }
        EXPECT_EQ(names, expected[type]) << "type " << type;
    }
}

} // namespace
