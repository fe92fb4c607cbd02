#include "output/PngWriter.h"

#include <QImage>
#include <vector>
#include <zlib.h>

namespace aerolyx {

namespace {

void PutBe32(QByteArray& out, quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void Chunk(QByteArray& out, const char* type, const QByteArray& data)
{
    PutBe32(out, static_cast<quint32>(data.size()));
    QByteArray typed(type, 4);
    typed += data;
    out += typed;
    PutBe32(out, static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()),
                                            static_cast<uInt>(typed.size()))));
}

}  // namespace

QByteArray EncodePng(const QImage& source)
{
    const QImage img = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    if (w <= 0 || h <= 0) return {};
    const std::size_t stride = static_cast<std::size_t>(w) * 3 + 1;
    std::vector<unsigned char> raw(stride * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        unsigned char* d = &raw[stride * static_cast<std::size_t>(y)];
        d[0] = 1;  // Sub: each byte less the same byte of the pixel before
        unsigned char pr = 0, pg = 0, pb = 0;
        for (int x = 0; x < w; ++x) {
            const unsigned char r = static_cast<unsigned char>(qRed(s[x])), g = static_cast<unsigned char>(qGreen(s[x])),
                                b = static_cast<unsigned char>(qBlue(s[x]));
            d[1 + 3 * x] = static_cast<unsigned char>(r - pr);
            d[2 + 3 * x] = static_cast<unsigned char>(g - pg);
            d[3 + 3 * x] = static_cast<unsigned char>(b - pb);
            pr = r;
            pg = g;
            pb = b;
        }
    }
    z_stream zs{};
    if (deflateInit2(&zs, 1, Z_DEFLATED, 15, 8, Z_FILTERED) != Z_OK) return {};
    std::vector<unsigned char> packed(deflateBound(&zs, static_cast<uLong>(raw.size())));
    zs.next_in = raw.data();
    zs.avail_in = static_cast<uInt>(raw.size());
    zs.next_out = packed.data();
    zs.avail_out = static_cast<uInt>(packed.size());
    const int rc = deflate(&zs, Z_FINISH);
    const std::size_t n = zs.total_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) return {};

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    PutBe32(header, static_cast<quint32>(w));
    PutBe32(header, static_cast<quint32>(h));
    header.append(char(8));  // bit depth
    header.append(char(2));  // truecolour
    header.append(3, char(0));
    Chunk(out, "IHDR", header);
    QByteArray phys;  // the picture's resolution, so that readers size it alike
    PutBe32(phys, static_cast<quint32>(img.dotsPerMeterX() > 0 ? img.dotsPerMeterX() : 3780));
    PutBe32(phys, static_cast<quint32>(img.dotsPerMeterY() > 0 ? img.dotsPerMeterY() : 3780));
    phys.append(char(1));
    Chunk(out, "pHYs", phys);
    Chunk(out, "IDAT", QByteArray(reinterpret_cast<const char*>(packed.data()), static_cast<qsizetype>(n)));
    Chunk(out, "IEND", QByteArray());
    return out;
}

}  // namespace aerolyx
