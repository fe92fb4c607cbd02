#include "output/PrintHooks.h"

#include <QFileInfo>
#include <QImageReader>
#include <QTextDocument>

#include "output/CFanCurve.h"
#include "output/LoadPic.h"
#include "output/RtfReader.h"

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
    static PrintHooks hooks = [] {
        PrintHooks h;
        h.picture = LoadPlatformPicture;
        h.tiffPicture = LoadPic;
        h.chart = [](QPainter& painter, const QRectF& box, const CFanData& project, int chart, const std::string& view) {
            // A chart whose data cannot be loaded still paints its note.
            CFanCurve curve;
            curve.SubLoadFanRecords(project, chart);
            curve.SetViewFlags(view);
            curve.Paint(painter, box);
        };
        h.rtf = [](const QString& path, QString* error) { return ReadRtfFile(path, error); };
        return h;
    }();
    return hooks;
}

}  // namespace aerolyx
