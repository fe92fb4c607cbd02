#pragma once
// What the print-out borrows from other parts of the output: the performance
// chart, the RTF reader and the picture loader. Each is a plain function so
// that the real ones, test fakes or nothing can be put in. The program's
// defaults are wired in DefaultPrintHooks().
#include <QImage>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QPainter;
class QTextDocument;

namespace aerolyx {

class CFanData;

// Draws chart `chart` (1..4) of the project into the box (painter
// coordinates) as vectors; `viewCharts` is the visibility text ("1010").
using ChartPainter = std::function<void(QPainter& painter, const QRectF& box, const CFanData& project, int chart,
                                        const std::string& viewCharts)>;
// Reads an RTF file into a document; null and *error on failure
// (the signature of ReadRtfFile).
using RtfLoader = std::function<std::unique_ptr<QTextDocument>(const QString& path, QString* error)>;
// Loads a picture; "" when done, else the loader's message (the signature
// of LoadPic).
using PictureLoader = std::function<QString(const QString& path, QImage& out)>;

struct PrintHooks {
    ChartPainter chart;          // empty: charts are skipped with a note
    RtfLoader rtf;               // empty: RTF texts are skipped with a note
    PictureLoader tiffPicture;   // TIFF files; empty: the platform loader
    PictureLoader picture;       // every other picture; empty: the platform loader
};

// The platform's picture loader (QImageReader) with a readable message.
QString LoadPlatformPicture(const QString& path, QImage& out);

// The hooks the program's windows and command line print with.
PrintHooks& DefaultPrintHooks();

}  // namespace aerolyx
