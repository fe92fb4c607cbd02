#include "output/PrintHooks.h"

#include <QFileInfo>
#include <QImageReader>

namespace aerolyx {

QString LoadPlatformPicture(const QString& path, QImage& out)
{
    if (!QFileInfo::exists(path)) return QStringLiteral("file not found");
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage img = reader.read();
    if (img.isNull()) return reader.errorString();
    out = std::move(img);
    return {};
}

PrintHooks& DefaultPrintHooks()
{
    // The chart, the RTF reader and the TIFF loader are plugged in here once
    // they exist; until then those commands are reported as skipped.
    static PrintHooks hooks = [] {
        PrintHooks h;
        h.picture = LoadPlatformPicture;
        return h;
    }();
    return hooks;
}

}  // namespace aerolyx
