// The database layer's text handling: the dialect adapter on any SQL text,
// and values from a fan file spliced into the program's queries, which must
// run on the real catalogue whatever the value holds (quotes, keywords,
// separators), through the spliced and the prepared route alike.
//   line 1       an SQL text for the adapter
//   next lines   values (numbers when numeric, "~" for a null)
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static DbConnection& db = *fuzz::Started().DBConnection;
    std::vector<std::string> lines;
    fuzz::ForEachLine(fuzz::Bytes(data, size), [&](std::string_view l) { lines.emplace_back(l); });
    if (lines.empty()) lines.emplace_back();

    const std::string adapted = AdaptSql(lines[0]);
    std::string upper = ToUpper(lines[0]);
    if (upper.find("TOP") == std::string::npos && adapted != lines[0]) std::abort();  // nothing to adapt

    std::vector<Variant> values;
    for (std::size_t i = 1; i < lines.size() && values.size() < 3; ++i) {
        const std::string& v = lines[i];
        values.push_back(v == "~" ? Variant() : IsNumeric(v) ? Variant(TextToNum(v)) : Variant(v));
    }
    while (values.size() < 2) values.emplace_back(std::string("AXM"));

    const std::string query = "SELECT TsCode FROM tblFanSeries WHERE TsCode=? OR TsCode=?";
    const std::vector<Variant> two(values.begin(), values.begin() + 2);
    // A NUL cannot travel inside an SQL text; everything else must.
    const bool nul = std::any_of(two.begin(), two.end(), [](const Variant& v) {
        return v.isText() && v.textValue().find('\0') != std::string::npos;
    });
    int spliced = -1, prepared = -1;
    try {
        spliced = db.OpenRecordset(SpliceParameters(query, two)).RecordCount();
    } catch (const DbError&) {
        if (!nul) std::abort();
    }
    try {
        prepared = db.OpenParameterized(query, two).RecordCount();
    } catch (const DbError&) {
        std::abort();
    }
    if (!nul && spliced != prepared) std::abort();

    // The program's own splicing of text values.
    if (two[0].isText() && !nul) {
        try {
            Recordset rs = db.OpenRecordset("SELECT TsCode FROM tblFanSeries WHERE TsCode='" + SqlQuote(two[0].textValue()) + "'");
            rs.Filter("TsCode=" + two[0].textValue());
            while (!rs.Eof()) {
                (void)rs.GetText("TsCode");
                rs.MoveNext();
            }
        } catch (const DbError&) {
            std::abort();
        }
    }
    // Too few or too many values is an error, not a malformed text.
    try {
        (void)SpliceParameters(query, values);
        if (values.size() != 2) std::abort();
    } catch (const DbError&) {
        if (values.size() == 2) std::abort();
    }
    return 0;
}
