// Renders SVG files to raster pictures on a white ground:
//   aerolyx-svgrender [--transparent] IN.svg OUT.(png|jpg) WIDTH HEIGHT [IN OUT W H ...]
// The output format follows the extension; JPEG at quality 92. With
// --transparent, PNGs keep an alpha channel (icons) instead of the white ground.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool transparent = argc > 1 && QByteArray(argv[1]) == "--transparent";
    const int first = transparent ? 2 : 1;
    if (argc - first < 4 || (argc - first) % 4 != 0) {
        std::fprintf(stderr, "usage: aerolyx-svgrender [--transparent] IN.svg OUT.png|OUT.jpg WIDTH HEIGHT [...]\n");
        return 2;
    }
    int failures = 0;
    for (int i = first; i + 3 < argc; i += 4) {
        const QString in = QString::fromLocal8Bit(argv[i]);
        const QString out = QString::fromLocal8Bit(argv[i + 1]);
        const int w = QString(argv[i + 2]).toInt();
        const int h = QString(argv[i + 3]).toInt();
        QSvgRenderer svg(in);
        if (!svg.isValid() || w <= 0 || h <= 0) {
            std::fprintf(stderr, "cannot render %s\n", argv[i]);
            ++failures;
            continue;
        }
        const bool jpeg = QFileInfo(out).suffix().toLower().startsWith("jp");
        QImage img(w, h, transparent && !jpeg ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        img.fill(transparent && !jpeg ? Qt::transparent : Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        svg.render(&p);
        p.end();
        if (!img.save(out, jpeg ? "JPEG" : "PNG", jpeg ? 92 : -1)) {
            std::fprintf(stderr, "cannot write %s\n", argv[i + 1]);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
