// A layout file ("TDAXIAL_EN.txt") as a customer's print-out might bring it,
// interpreted for a real selected fan with the program's chart, RTF and
// picture readers, drawn on a target that only checks the order of calls.
// A refused layout says why; a printed one began, ended and counted its pages.
#include <QPainter>
#include <QPicture>
#include <filesystem>
#include <memory>

#include "support/GuiApp.h"
#include "FuzzSupport.h"
#include "common/Program.h"
#include "model/CFanData.h"
#include "output/CreatePrintOut.h"
#include "output/TextSheet.h"
#include "selection/FieldEdit.h"
#include "selection/modCalcStart.h"

using namespace aerolyx;

namespace {

class CheckingTarget : public IPrintTarget {
public:
    bool Begin(const PageSetup&, QString*) override
    {
        if (began) std::abort();
        began = true;
        pages = 1;
        return true;
    }
    void NewPage() override { Check(true), ++pages; }
    void Text(const QRectF&, const QString&, const QFont&, const QColor&, Qt::Alignment) override { Check(true); }
    void Line(const QPointF&, const QPointF&, double w) override { Check(w > 0); }
    void Image(const QRectF& box, const QImage& img) override { Check(!img.isNull() && !box.isEmpty()); }
    void Rich(const QRectF&, const QTextDocument&, double from) override { Check(from >= 0); }
    void Vector(const QRectF& box, const BoxPainter& paint) override
    {
        Check(true);
        QPicture pic;
        QPainter p(&pic);
        paint(p, box);
    }
    bool End(QString*) override
    {
        Check(true);
        ended = true;
        return true;
    }
    bool began = false, ended = false;
    int pages = 0;

private:
    // Drawing comes between Begin and End.
    void Check(bool ok) const
    {
        if (!ok || !began || ended) std::abort();
    }
};

// A fan chosen once, as `select --set I_AirFlow=5000 --set I_PresS=250 --choose 1` does.
const CFanData& Project()
{
    static const std::unique_ptr<CFanData> fan = [] {
        fuzz::Started();
        CFanData duty;
        if (duty.LoadFanFields() == 0) std::abort();
        if (!EditField(duty, "I_AirFlow", "5000").accepted || !EditField(duty, "I_PresS", "250").accepted) std::abort();
        auto found = SearchCandidates(duty, nullptr);
        if (found.empty()) std::abort();
        return std::move(found.front());
    }();
    return *fan;
}

// The layout's data folder: the layout files are the input, the pictures and
// texts are the shipped ones.
const std::string& Folder()
{
    static const std::string dir = [] {
        const std::string d = fuzz::ScratchDir() + "/layout";
        std::filesystem::create_directories(d);
        for (const char* sub : {"CAD", "TXT"}) {
            std::error_code ec;
            std::filesystem::create_directory_symlink(Prog().AppPath + "/" + sub, d + "/" + sub, ec);
        }
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::EnsureGuiApp();
    const CFanData& fan = Project();
    const std::string& folder = Folder();
    for (const char* name : {"TDAXIAL_EN.txt", "TDAXIAL2_EN.txt", "TXAXIAL_EN.txt"})
        fuzz::WriteScratch(std::string("layout/") + name, fuzz::Bytes(data, size));

    PrintRequest req;
    req.language = "EN";
    req.dataFolder = folder;
    req.printType = size % 2 ? "TEXT" : "FAN";
    req.viewCharts = "1111";
    CheckingTarget target;
    const PrintResult r =
        CreatePrintOut(fan, req, target, req.printType == "FAN" ? DefaultPrintHooks() : TextSheetPrintHooks(fan));
    if (r.printed != target.ended || r.printed != r.error.empty()) std::abort();
    if (r.printed && r.pages != target.pages) std::abort();
    for (const std::string& s : r.skipped)
        if (s.empty()) std::abort();
    return 0;
}
