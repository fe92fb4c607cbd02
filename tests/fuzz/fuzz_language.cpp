// A language file ("Lang_" & code & ".txt"): loaded as the user's language,
// then asked for texts by ID, by English text and for its own name.
#include "FuzzSupport.h"
#include "common/IniFile.h"
#include "lang/CTranslater.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const IniFile ini = IniFile::FromText("[3]\nFZ=DejaVu Sans;UTF-8;0\nEN=DejaVu Sans;UTF-8;0\n");
    const std::string path = fuzz::WriteScratch("Lang_FZ.txt", fuzz::Bytes(data, size));

    CTranslater english, user;
    const bool loaded = user.Startup("FZ", fuzz::ScratchDir(), ini);
    (void)english.Startup("fz", fuzz::ScratchDir(), ini);  // the code in another case finds the same file
    if (loaded && user.Language().empty()) std::abort();
    for (int id : {-1, 0, 1, 2, 3, 999, 1000, 2000, 2001}) {
        const std::string& t = user.Text(id);
        if ((id < 1 || id > CTranslater::kMaxTextID) && !t.empty()) std::abort();
    }
    for (const char* text : {"T:1", "T:2", "T:0", "T:2000", "T:2001", "T:-5", "T:", "T:1e9", "T:99999999999999999999",
                             "Yes", "No", "", "T:12:34"}) {
        (void)user.Translate(text, &english);
        (void)user.TranslateUN(text, &english);
        (void)user.GetIDByName(text);
    }
    // Its own texts looked up by name give an ID that holds that text.
    const std::string& second = user.Text(2);
    if (!second.empty()) {
        const int id = user.GetIDByName(second);
        if (id < 1 || id > 2) std::abort();
    }
    (void)user.ReadLngFileLanguage(path);
    (void)user.LanguageList(fuzz::ScratchDir());
    return 0;
}
