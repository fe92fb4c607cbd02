#pragma once
// The printer settings a window keeps in its settings section ("FanC" for
// the chart, "SOUND" for the sound sheet): Printer, Orientation and
// Papersize as numbers of the classic printer settings: orientation
// 1 portrait, 2 landscape; paper 9 A4, 8 A3, 11 A5, 1 Letter, 5 Legal.
#include <QPageLayout>
#include <QPageSize>
#include <string>

class QPrinter;

namespace aerolyx {

class ISettingsStore;

// Anything but 1 or 2 gives `fallback`, the window's own default.
QPageLayout::Orientation OrientationFromSetting(const std::string& value,
                                                QPageLayout::Orientation fallback = QPageLayout::Landscape);
std::string OrientationSetting(QPageLayout::Orientation o);
// Unknown codes give A4, and sizes without a code are stored as A4.
QPageSize::PageSizeId PaperFromSetting(const std::string& value);
std::string PaperSetting(QPageSize::PageSizeId id);

struct PrintSettings {
    std::string printer;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QPageSize::PageSizeId paper = QPageSize::A4;
    static PrintSettings Load(const ISettingsStore& store, const std::string& section,
                              QPageLayout::Orientation fallback);
    void Save(ISettingsStore& store, const std::string& section) const;
};

// Sets up the printer from the settings; the stored printer only when it still exists.
void ApplyPrintSettings(QPrinter& printer, const PrintSettings& settings);

}  // namespace aerolyx
