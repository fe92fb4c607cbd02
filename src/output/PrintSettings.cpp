#include "output/PrintSettings.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <utility>

#include "common/NumText.h"
#include "common/SettingsStore.h"

namespace aerolyx {

QPageLayout::Orientation OrientationFromSetting(const std::string& value, QPageLayout::Orientation fallback)
{
    const double n = TextToNum(value);
    return n == 1 ? QPageLayout::Portrait : n == 2 ? QPageLayout::Landscape : fallback;
}

std::string OrientationSetting(QPageLayout::Orientation o) { return o == QPageLayout::Portrait ? "1" : "2"; }

namespace {
const std::pair<int, QPageSize::PageSizeId> kPapers[] = {
    {9, QPageSize::A4}, {8, QPageSize::A3}, {11, QPageSize::A5}, {1, QPageSize::Letter}, {5, QPageSize::Legal}};
}

QPageSize::PageSizeId PaperFromSetting(const std::string& value)
{
    const int n = static_cast<int>(TextToNum(value));
    for (auto [code, id] : kPapers)
        if (code == n) return id;
    return QPageSize::A4;
}

std::string PaperSetting(QPageSize::PageSizeId id)
{
    for (auto [code, pid] : kPapers)
        if (pid == id) return std::to_string(code);
    return "9";
}

PrintSettings PrintSettings::Load(const ISettingsStore& store, const std::string& section,
                                  QPageLayout::Orientation fallback)
{
    PrintSettings s;
    s.printer = store.Get(section, "Printer", "");
    s.orientation = OrientationFromSetting(store.Get(section, "Orientation", ""), fallback);
    s.paper = PaperFromSetting(store.Get(section, "Papersize", ""));
    return s;
}

void PrintSettings::Save(ISettingsStore& store, const std::string& section) const
{
    store.Set(section, "Printer", printer);
    store.Set(section, "Orientation", OrientationSetting(orientation));
    store.Set(section, "Papersize", PaperSetting(paper));
}

void ApplyPrintSettings(QPrinter& printer, const PrintSettings& settings)
{
    if (!settings.printer.empty())
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
            if (info.printerName() == QString::fromStdString(settings.printer)) printer.setPrinterName(info.printerName());
    printer.setPageOrientation(settings.orientation);
    printer.setPageSize(QPageSize(settings.paper));
}

}  // namespace aerolyx
