#pragma once
// The sound sheet drawn: its chart (Qt Charts, frequency on an octave scale),
// the printed page (title block, table, chart) and the files it exports.
// Needs a QApplication (the charts are graphics widgets).
#include <QPageLayout>
#include <QPageSize>
#include <string>

#include "output/PrintSettings.h"
#include "output/SoundSheet.h"

class QPainter;
class QPrinter;
class QRectF;

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace aerolyx {


// A new chart of the sheet's series (the caller owns it). Point labels follow
// the plot area when the chart is resized.
QChart* MakeSoundChart(const SoundSheet& sheet);

// The chart drawn into a rectangle of any painter (vectors on PDF and SVG).
void PaintSoundChart(QPainter& painter, const QRectF& target, const SoundSheet& sheet, bool withTitle = true);
// Title block, table and chart on one page.
void PaintSoundPage(QPainter& painter, const QRectF& page, const SoundSheet& sheet);

// The page as PDF, written whole or not at all. False and *error on failure.
bool WriteSoundPdf(const std::string& path, const SoundSheet& sheet, const PrintSettings& settings,
                   std::string* error);
// The chart alone as a picture by the extension: .png, .jpg, .bmp or .svg.
bool WriteSoundPicture(const std::string& path, const SoundSheet& sheet, int width, int height,
                       std::string* error);
// Prints the page on a printer set up by the caller.
bool PrintSoundSheet(QPrinter& printer, const SoundSheet& sheet, std::string* error);

}  // namespace aerolyx
