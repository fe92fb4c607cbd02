#pragma once
// A lean PNG encoder for rendered charts: 8-bit RGB, the "Sub" filter on
// every row and zlib's fastest level. Lossless like the image plugin, but
// several times faster on a large chart, whose flat colours need no
// per-row filter search.
#include <QByteArray>

class QImage;

namespace aerolyx {

QByteArray EncodePng(const QImage& image);

}  // namespace aerolyx
