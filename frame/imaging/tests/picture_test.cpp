#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include "frame/imaging/picture.h"

namespace {

// A 2 x 2 picture, one colour per quadrant, so a scaled drawing shows where
// every source pixel went.
QImage Quadrants()
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 255));
    return image;
}

class PictureTest : public ::testing::Test
{
protected:
    QString Path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString Save(const char *name, const QImage &image, const char *format)
    {
        const QString path = Path(name);
        EXPECT_TRUE(image.save(path, format)) << name;
        return path;
    }
    QString Write(const char *name, const QByteArray &bytes)
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_dir;
};

TEST_F(PictureTest, ReadsBitmapsAndJpegsAndRefusesTheRest)
{
    QImage photo(40, 30, QImage::Format_RGB32);
    photo.fill(qRgb(200, 100, 50));
    CPicture picture;
    ASSERT_TRUE(picture.Load(Save("map.jpg", photo, "JPEG"))) << picture.Error().toStdString();
    EXPECT_EQ(picture.Size(), QSize(40, 30));
    EXPECT_NEAR(qRed(picture.Image().pixel(20, 15)), 200, 8) << "JPEG is lossy, not wrong";
    ASSERT_TRUE(picture.Load(Save("status.bmp", Quadrants(), "BMP"))) << picture.Error().toStdString();
    EXPECT_EQ(picture.Size(), QSize(2, 2));
    EXPECT_TRUE(picture.Error().isEmpty());

    const QString missing = Path("none.jpg");
    EXPECT_FALSE(picture.Load(missing));
    EXPECT_TRUE(picture.IsNull()) << "a failed load leaves no earlier picture behind";
    EXPECT_TRUE(picture.Error().contains(missing)) << picture.Error().toStdString();

    EXPECT_FALSE(picture.Load(Write("garbage.jpg", QByteArray(500, '\x5a'))));
    EXPECT_TRUE(picture.Error().startsWith(QStringLiteral("Cannot read the picture"))) << picture.Error().toStdString();

    // A bitmap whose header claims 100000 x 100000 pixels is refused, not allocated.
    QFile small(Save("huge.bmp", Quadrants(), "BMP"));
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    QByteArray bytes = small.readAll();
    qToLittleEndian<qint32>(100000, bytes.data() + 18);
    qToLittleEndian<qint32>(100000, bytes.data() + 22);
    const QString huge = Write("huge.bmp", bytes);
    EXPECT_FALSE(picture.Load(huge));
    EXPECT_TRUE(picture.IsNull());
    EXPECT_TRUE(picture.Error().contains(huge)) << picture.Error().toStdString();
}

TEST_F(PictureTest, StretchScalesEachTimeToTheTargetItIsGiven)
{
    CPicture picture;
    ASSERT_TRUE(picture.Load(Save("q.bmp", Quadrants(), "BMP")));
    QImage canvas(40, 40, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        picture.Stretch(painter, QRect(0, 0, 20, 20));
        // Same picture, other size and place: the kept scaled copy must not be reused.
        picture.Stretch(painter, QRect(20, 20, 10, 10));
        // Only the right column of the picture, stretched over a 10 x 10 square.
        picture.Stretch(painter, QRect(30, 0, 10, 10), QRect(1, 0, 1, 2));
    }
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(17, 2), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(2, 17), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(17, 17), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(21, 21), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(28, 28), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(31, 1), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(38, 8), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(35, 15), qRgb(0, 0, 0)) << "nothing drawn outside the targets";

    CPicture empty;
    QPainter painter(&canvas);
    empty.Stretch(painter, QRect(0, 0, 40, 40));
    EXPECT_EQ(canvas.pixel(35, 15), qRgb(0, 0, 0)) << "an empty picture draws nothing";
}

} // namespace
