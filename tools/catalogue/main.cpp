// aerolyx-catalogue: writes the fan catalogue from data/catalogue.
//   aerolyx-catalogue [--source DIR] [--lang-dir DIR] [--sizes N]
//                     [--out FILE.db] [--pg-script FILE.sql] [--summary]
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>

#include "Catalogue.h"
#include "common/NumText.h"

using namespace aerolyx::catalogue;

namespace {

int Usage(const char* msg)
{
    if (msg) std::cerr << "aerolyx-catalogue: " << msg << "\n";
    std::cerr << "usage: aerolyx-catalogue [--source DIR] [--lang-dir DIR] [--sizes N]\n"
                 "                         [--out FILE.db] [--pg-script FILE.sql] [--summary]\n"
                 "  --sizes N      a synthetic catalogue of N fan sizes instead of the demo catalogue\n"
                 "  --out          the SQLite catalogue file\n"
                 "  --pg-script    a psql script that loads the same catalogue into PostgreSQL\n"
                 "  --summary      print the number of rows per table\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    BuildOptions opt;
    opt.sourceDir = AEROLYX_CATALOGUE_SOURCE_DIR;
    opt.langDir = AEROLYX_LANG_DIR;
    std::string out, pg;
    bool summary = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--help" || a == "-h") return Usage(nullptr);
        if (a == "--summary") { summary = true; continue; }
        const char* v = value();
        if (!v) return Usage(("missing value after " + a).c_str());
        if (a == "--source") opt.sourceDir = v;
        else if (a == "--lang-dir") opt.langDir = v;
        else if (a == "--out") out = v;
        else if (a == "--pg-script") pg = v;
        else if (a == "--sizes") {
            std::size_t used = 0;
            const std::string s = v;
            const double n = aerolyx::TextToNum(s, &used);
            if (used != s.size() || n < 1 || n > 1000000 || n != static_cast<int>(n))
                return Usage("--sizes needs a whole number from 1 to 1000000");
            opt.syntheticSizes = static_cast<int>(n);
        } else
            return Usage(("unknown option " + a).c_str());
    }
    if (out.empty() && pg.empty() && !summary) return Usage("nothing to write: give --out, --pg-script or --summary");
    try {
        const auto t0 = std::chrono::steady_clock::now();
        const Catalogue cat = BuildCatalogue(opt);
        const std::string schema = ReadSchema(opt.sourceDir);
        if (!out.empty()) WriteSqlite(cat, schema, out);
        if (!pg.empty()) {
            std::ofstream f(pg, std::ios::binary | std::ios::trunc);
            if (!f) throw CatalogueError("cannot create " + pg);
            WritePostgresScript(cat, schema, f);
        }
        if (summary) {
            for (const auto& t : cat.tables) std::cout << t.name << "\t" << t.rows.size() << "\n";
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::cout << "rows\t" << cat.rowCount() << "\nseconds\t" << aerolyx::NumToText(s) << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "aerolyx-catalogue: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
