// The picture loader's checks and messages on files written here.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include "support/TestSupport.h"
#include "output/LoadPic.h"

using namespace aerolyx;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QImage Sample()
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 6; y < 16; ++y)
        for (int x = 0; x < 40; ++x) img.setPixel(x, y, qRgb(200, 0, 0));
    return img;
}

}  // namespace

TEST(LoadPic, NameAndFileChecksComeFirst)
{
    test::TempDir dir;
    QImage out = Sample();
    EXPECT_EQ(LoadPic("a.b", out), "Ungeeigneter Dateiname");
    EXPECT_TRUE(out.isNull());
    EXPECT_EQ(LoadPic("  a.bm  ", out), "Ungeeigneter Dateiname");  // trimmed first
    EXPECT_EQ(LoadPic(Q(dir.file("none.png")), out), QString::fromUtf8("Datei nicht vorhanden/verfügbar"));
    EXPECT_EQ(LoadPic(Q(dir.path()), out), QString::fromUtf8("Datei nicht vorhanden/verfügbar"));
    EXPECT_EQ(LoadPic(Q(dir.write("tiny.png", "12345")), out), "Leere Datei");
    EXPECT_EQ(LoadPic(Q(dir.write("nine.png", "123456789")), out), "Leere Datei");
    EXPECT_EQ(LoadPic(Q(dir.write("pic.svg", "<svg xmlns='http://www.w3.org/2000/svg'/>")), out),
              QString::fromUtf8("Bildformat wird nicht unterstützt"));
    EXPECT_EQ(LoadPic(Q(dir.write("pic.png.txt", "0123456789abc")), out),
              QString::fromUtf8("Bildformat wird nicht unterstützt"));
}

TEST(LoadPic, ReadsPngJpegAndTiffWithAnyCaseOfExtension)
{
    test::TempDir dir;
    const QImage img = Sample();
    ASSERT_TRUE(img.save(Q(dir.file("a.PNG")), "PNG"));
    ASSERT_TRUE(img.save(Q(dir.file("b.jpeg")), "JPEG"));
    QImageWriter tiff(Q(dir.file("c.Tiff")), "tiff");
    ASSERT_TRUE(tiff.write(img)) << tiff.errorString().toStdString();
    ASSERT_TRUE(img.save(Q(dir.file("d.tif")), "TIFF"));

    for (const char* name : {"a.PNG", "b.jpeg", "c.Tiff", "d.tif"}) {
        QImage out;
        EXPECT_EQ(LoadPic(Q(dir.file(name)), out), "") << name;
        ASSERT_EQ(out.size(), QSize(40, 30)) << name;
        EXPECT_EQ(qRed(out.pixel(5, 10)) > 150 && qGreen(out.pixel(5, 10)) < 60, true) << name;
        EXPECT_EQ(out.pixel(5, 25) | 0x0F0F0F, qRgb(255, 255, 255)) << name;
    }
}

TEST(LoadPic, DecoderFailuresCarryTheirStatusText)
{
    test::TempDir dir;
    QImage out;
    // a PNG signature followed by garbage
    const std::string corrupt = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\x55');
    const QString msg = LoadPic(Q(dir.write("bad.png", corrupt)), out);
    EXPECT_TRUE(out.isNull());
    EXPECT_TRUE(msg.endsWith("\r\nBitmap kann nicht aus Bild-Datei erstellt werden")) << msg.toStdString();
    EXPECT_TRUE(msg.startsWith("Ungeeigneter Parameter")) << msg.toStdString();

    // a text file named like a TIFF: no decoder knows it
    EXPECT_EQ(LoadPic(Q(dir.write("fake.tif", "this is not a picture at all")), out),
              "unbekanntes Bildformat\r\nInitialisierung scheitert");

    // a truncated TIFF
    QImage big(200, 200, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(Q(dir.file("full.tif")), "TIFF"));
    QFile full(Q(dir.file("full.tif")));
    ASSERT_TRUE(full.open(QIODevice::ReadOnly));
    const QByteArray head = full.read(64);
    const QString cut = LoadPic(Q(dir.write("cut.tif", head.toStdString())), out);
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_TRUE(out.isNull());
}

TEST(LoadPic, ClassicFormatsFailWithTheLoaderMessage)
{
    test::TempDir dir;
    QImage out;
    EXPECT_EQ(LoadPic(Q(dir.write("bad.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(40, 'x'))), out),
              "Laden des Bildes scheitert (Loadpicture)");
    EXPECT_EQ(LoadPic(Q(dir.write("drawing.wmf", std::string(64, '\x01'))), out),
              "Laden des Bildes scheitert (Loadpicture)");
    EXPECT_TRUE(out.isNull());
}

TEST(LoadPic, StatusTexts)
{
    EXPECT_EQ(LoadPicStatusText(3), "Speichermangel");
    EXPECT_EQ(LoadPicStatusText(13), "unbekanntes Bildformat");
    EXPECT_EQ(LoadPicStatusText(20), "Eigenschaft wird nicht unterstützt");
    EXPECT_EQ(LoadPicStatusText(6), "");
    EXPECT_EQ(LoadPicStatusText(0), "");
}
