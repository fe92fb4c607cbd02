// The installation settings file ("Dodov.ini"): read from disk, asked every
// lookup start-up and the windows ask, and turned into the project record's
// fields, the grid rows and the catalogue connection string.
#include "FuzzSupport.h"
#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "common/Program.h"
#include "model/CFanData.h"
#include "model/GridRows.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteScratch("Dodov.ini", fuzz::Bytes(data, size));
    std::string error;
    const IniFile ini = IniFile::ReadIniFile(path, &error);

    for (const char* key : {"0000Customer", "0000Version", "0000Rebate", "0000PriceList", "0000PriceCurrency",
                            "0001Language", "0003EN", "0003DE"})
        (void)ini.IniValue(key);
    (void)ini.IniValue("", -5, 1 << 30);
    for (const char* code : {"0000", "0002", "0003", "0301", "0305", "0310", "0311", ""}) {
        int first = -1, last = -1;
        ini.IniSectionRange(code, first, last);
        if (first != -1 && (first < 0 || last < first || last >= ini.Count())) std::abort();
        if (first >= 0) (void)ini.IniFindLine(code, first, last);
    }
    for (int pair = -1; pair <= 5; ++pair) {
        int first = 0, last = 0;
        ini.CachedSection(pair, first, last);
    }
    for (const char* list : {"AIRDIR", "MOTSEL", "YESNO", "", "="}) (void)ini.IniComboList(list);

    (void)AssembleConnectionString(ini, "/data", "user", "secret");
    for (const char* section : {"0310", "0311"}) {
        for (const GridRowDef& row : ReadGridRows(ini, section)) {
            std::string caption;
            if (row.title) (void)TitleCaption(ini, row.key, caption);
            (void)row.RowData();
        }
    }

    // The fields the file defines, with their choice lists from the same file.
    const IniFile* saved = Prog().Ini;
    Prog().Ini = &ini;
    {
        CFanData record;
        record.LoadFanFields(ini);
        for (const CLpField& f : record) {
            (void)record.ValueF(f.FName());
            (void)f.CboBox(true);
            (void)f.FirstCBoxVal(false);
            (void)f.UnitKZ(true);
        }
        // Saved as a fan file and read back, every value survives (a name
        // holding "=" cannot be written as name=value and is left out).
        const std::string saved = fuzz::ScratchDir() + "/fields.txt";
        if (!record.WriteToFile(saved)) std::abort();
        auto copy = record.CloneMe();
        copy->ClearAllValues();
        if (!copy->ReadFromFile(saved)) std::abort();
        for (const CLpField& f : record)
            if (f.FName().find('=') == std::string::npos && copy->ValueToStr(f.FName(), false) != f.ValueStr())
                std::abort();
    }
    Prog().Ini = saved;
    return 0;
}
