// The picture loader's checks and messages on files written here.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "output/LoadPic.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

TEST(LoadPic, ReadsPngJpegAndTiffWithAnyCaseOfExtension)
{
    test::TempDir dir;
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 6; y < 16; ++y)
        for (int x = 0; x < 40; ++x) img.setPixel(x, y, qRgb(200, 0, 0));
    const struct {
        const char* name;
        const char* format;
    } files[] = {{"a.PNG", "PNG"}, {"b.jpeg", "JPEG"}, {"c.Tiff", "TIFF"}, {"d.tif", "TIFF"}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(img.save(Q(dir.file(f.name)), f.format));
        QImage out;
        EXPECT_EQ(LoadPic(Q(dir.file(f.name)), out), "");
        ASSERT_EQ(out.size(), QSize(40, 30));
        EXPECT_TRUE(qRed(out.pixel(5, 10)) > 150 && qGreen(out.pixel(5, 10)) < 60);  // the red band, not blank
        EXPECT_EQ(out.pixel(5, 25) | 0x0F0F0F, qRgb(255, 255, 255));
    }
}

TEST(LoadPic, EveryRefusalHasItsMessageAndLeavesNoPicture)
{
    test::TempDir dir;
    QImage big(200, 200, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(Q(dir.file("full.tif")), "TIFF"));
    QFile full(Q(dir.file("full.tif")));
    ASSERT_TRUE(full.open(QIODevice::ReadOnly));
    const std::string cutTiff = full.read(64).toStdString();

    const QString notThere = QString::fromUtf8("Datei nicht vorhanden/verfügbar");
    const QString unsupported = QString::fromUtf8("Bildformat wird nicht unterstützt");
    const struct {
        QString path;
        QString message;  // "*" any message
    } rows[] = {
        {"a.b", "Ungeeigneter Dateiname"},
        {"  a.bm  ", "Ungeeigneter Dateiname"},  // trimmed first
        {Q(dir.file("none.png")), notThere},
        {Q(dir.path()), notThere},
        {Q(dir.write("nine.png", "123456789")), "Leere Datei"},
        {Q(dir.write("pic.png.txt", "0123456789abc")), unsupported},
        {Q(dir.write("bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\x55'))),
         "Ungeeigneter Parameter\r\nBitmap kann nicht aus Bild-Datei erstellt werden"},
        {Q(dir.write("fake.tif", "this is not a picture at all")), "unbekanntes Bildformat\r\nInitialisierung scheitert"},
        {Q(dir.write("bad.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(40, 'x'))),
         "Laden des Bildes scheitert (Loadpicture)"},
        {Q(dir.write("drawing.wmf", std::string(64, '\x01'))), "Laden des Bildes scheitert (Loadpicture)"},
        {Q(dir.write("cut.tif", cutTiff)), "*"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        QImage out = big;
        const QString msg = LoadPic(row.path, out);
        if (row.message == "*") EXPECT_FALSE(msg.isEmpty());
        else EXPECT_EQ(msg, row.message);
        EXPECT_TRUE(out.isNull());
    }
}

}  // namespace
