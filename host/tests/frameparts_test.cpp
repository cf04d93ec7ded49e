#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QtEndian>

#include "frame/backgroundarea.h"
#include "frame/imaging/dibfile.h"
#include "frame/outlookbar.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

class FramePartsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    QString WriteBitmap(const QString &name, const QSize &size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString path = QDir::current().filePath(name);
        image.save(path, "BMP");
        return path;
    }
    QByteArray Read(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void Write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }

    WorkingDirectory m_dir;
};

TEST_F(FramePartsTest, BitmapLoaderReadsGoodFilesAndNamesEachFailure)
{
    CDibFile dib;
    const QString good = WriteBitmap(QStringLiteral("good.bmp"), QSize(5, 3));
    ASSERT_TRUE(dib.Load(good)) << dib.Error().toStdString();
    EXPECT_EQ(dib.Image().size(), QSize(5, 3));
    EXPECT_TRUE(dib.Error().isEmpty());

    const QString missing = QDir::current().filePath(QStringLiteral("none.bmp"));
    EXPECT_FALSE(dib.Load(missing));
    EXPECT_EQ(dib.Error(), QStringLiteral(" Open File %1 Fails ! ").arg(missing));
    EXPECT_TRUE(dib.Image().isNull());

    const QByteArray bytes = Read(good);
    const QString bad = QDir::current().filePath(QStringLiteral("bad.bmp"));
    const QString couldNot = QStringLiteral(" Couldn't Load File %1 ! ").arg(bad);
    QByteArray notBm = bytes;
    notBm[0] = 'X';
    Write(bad, notBm);
    EXPECT_FALSE(dib.Load(bad));
    EXPECT_EQ(dib.Error(), couldNot);
    Write(bad, bytes.left(10));
    EXPECT_FALSE(dib.Load(bad)) << "a short file header";
    EXPECT_EQ(dib.Error(), couldNot);
    Write(bad, bytes.left(30));
    EXPECT_FALSE(dib.Load(bad)) << "pixels missing";
    EXPECT_EQ(dib.Error(), couldNot);

    QByteArray huge = bytes;
    qToLittleEndian<quint32>(0x80000000U, huge.data() + 18);
    Write(bad, huge);
    EXPECT_FALSE(dib.Load(bad));
    EXPECT_EQ(dib.Error(), QStringLiteral("DIB is too large"));
}

TEST_F(FramePartsTest, BackgroundReportsAFailureOnceAndPicksUpANewFile)
{
    TestHostApp app;
    CBackgroundArea area(&app);
    area.Refresh();
    area.Refresh();
    QApplication::processEvents();
    // A message box without a caption.
    EXPECT_EQ(app.messages, QStringList{QStringLiteral("| Open File %1 Fails ! ").arg(QStringLiteral("Keelmon.bmp"))})
        << "one message, not one per paint";
    EXPECT_TRUE(area.Picture().isNull());

    WriteBitmap(QStringLiteral("Keelmon.bmp"), QSize(8, 8));
    area.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(area.Picture().size(), QSize(8, 8));
    EXPECT_EQ(app.messages.size(), 1);
}

TEST_F(FramePartsTest, OutlookBarKeepsFoldersItemsAndReportsClicks)
{
    COutlookBar bar;
    const int first = bar.AddFolder(QStringLiteral("系统"));
    const int second = bar.AddFolder(QString());
    bar.AddItem(first, QStringLiteral("Watch"), 2);
    bar.AddItem(first, QStringLiteral("Map"), 40);
    bar.AddItem(second, QStringLiteral("Users"), 0);
    bar.AddItem(7, QStringLiteral("nowhere"), 0);
    ASSERT_EQ(bar.FolderCount(), 2);
    EXPECT_EQ(bar.FolderTitle(first), QStringLiteral("系统"));
    EXPECT_EQ(bar.FolderTitle(second), QString());
    ASSERT_EQ(bar.FolderList(first)->count(), 2);
    EXPECT_EQ(bar.FolderList(first)->item(1)->text(), QStringLiteral("Map"));
    EXPECT_FALSE(bar.FolderList(first)->item(1)->icon().isNull()) << "every image index has an icon";

    bar.SetLargeIcons(false);
    EXPECT_EQ(bar.FolderList(second)->iconSize(), QSize(16, 16));
    EXPECT_EQ(bar.FolderList(second)->viewMode(), QListView::ListMode);
    bar.SetLargeIcons(true);
    EXPECT_EQ(bar.FolderList(second)->iconSize(), QSize(32, 32));

    QSignalSpy clicked(&bar, &COutlookBar::ItemClicked);
    emit bar.FolderList(first)->itemClicked(bar.FolderList(first)->item(0));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString(), QStringLiteral("Watch"));
}

} // namespace
