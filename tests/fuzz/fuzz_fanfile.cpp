// A fan file as it arrives by e-mail: opened into the project record, every
// field shown, saved again; what was saved opens to the same project.
#include <memory>

#include "FuzzSupport.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/ProjectInfo.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<CFanData> blank = [] {
        fuzz::Started();
        auto r = std::make_unique<CFanData>();
        if (r->LoadFanFields() == 0) std::abort();
        r->ClearAllValues();
        return r;
    }();
    const double rebate = Prog().Rebate;
    const std::string path = fuzz::WriteScratch("fan.txt", fuzz::Bytes(data, size));

    auto record = blank->CloneMe();
    bool outdated = false;
    std::string message;
    if (!OpenProjectFile(*record, path, outdated, &message)) {
        if (message.empty()) std::abort();  // a refusal always says why
        Prog().Rebate = rebate;
        return 0;
    }
    for (const CLpField& f : *record) {
        (void)record->ValueF(f.FName());
        (void)record->ValueToStr(f.FName(), true);
        (void)f.UnitKZ(true);
    }

    const std::string saved = fuzz::ScratchDir() + "/saved.txt", again = fuzz::ScratchDir() + "/again.txt";
    if (!SaveProjectFile(*record, saved, !outdated, &message)) std::abort();
    auto reopened = blank->CloneMe();
    bool outdated2 = true;
    if (!OpenProjectFile(*reopened, saved, outdated2, &message) || outdated2 != outdated) std::abort();
    if (!SaveProjectFile(*reopened, again, !outdated2, &message)) std::abort();
    std::string first, second;
    if (!ReadTextFile(saved, first) || !ReadTextFile(again, second) || first != second) std::abort();
    Prog().Rebate = rebate;
    return 0;
}
