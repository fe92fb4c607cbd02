#include "cli/CliSelect.h"
#include "cli/CliFormat.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "cli/CliStart.h"
#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "model/GridRows.h"
#include "selection/Calculation.h"
#include "selection/FieldEdit.h"
#include "selection/SelectionTexts.h"
#include "selection/modCalcStart.h"
#include "units/CUnit.h"

namespace aerolyx {

namespace {
constexpr int kExitOk = 0;
constexpr int kExitNoFans = 3;
}  // namespace

namespace {

void PrefillUser(CFanData& r)
{
    if (ISettingsStore* st = Prog().Settings) {
        r.setValueI("I_UserName", Variant(st->Get("User", "Name", "")));
        r.setValueI("I_UserTel", Variant(st->Get("User", "Tel", "")));
        r.setValueI("I_UserMail", Variant(st->Get("User", "Mail", "")));
        r.setValueI("I_LiDate", Variant(st->Get("User", "Days", "")));
    }
    r.setValueI("I_Date", Variant(TodayShortDate()));
}

// Display width of UTF-8 text (code points).
std::size_t Width(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string Pad(const std::string& s, std::size_t w, bool right)
{
    const std::size_t n = Width(s);
    const std::string fill(n < w ? w - n : 0, ' ');
    return right ? fill + s : s + fill;
}

void PrintAligned(const std::vector<std::vector<std::string>>& rows, const std::set<std::size_t>& rightCols)
{
    std::vector<std::size_t> w;
    for (const auto& r : rows)
        for (std::size_t c = 0; c < r.size(); ++c) {
            if (w.size() <= c) w.resize(c + 1, 0);
            w[c] = std::max(w[c], Width(r[c]));
        }
    for (const auto& r : rows) {
        std::string line;
        for (std::size_t c = 0; c < r.size(); ++c) {
            if (c) line += "  ";
            line += Pad(r[c], w[c], rightCols.count(c) > 0);
        }
        std::cout << TrimRight(line) << "\n";
    }
}

void PrintCandidates(const std::string& format, const ResultTable& t, const std::vector<const CFanData*>& records)
{
    if (format == "json") {
        std::cout << "[";
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::cout << (i ? ",\n " : "\n ") << "{";
            bool first = true;
            for (const CLpField& f : *records[i]) {
                std::cout << (first ? "" : ", ") << JsonString(f.FName()) << ": " << JsonValue(f.ValueI());
                first = false;
            }
            std::cout << "}";
        }
        std::cout << "\n]\n";
        return;
    }
    if (format == "csv") {
        // For machines: field names with their units, plain numbers with "."
        // and no thousands separators, as precise as the list shows them.
        std::vector<std::string> cells = {"No."};
        for (std::size_t c = 0; c < t.fields.size(); ++c)
            cells.push_back(CsvCell(t.units[c].empty() ? t.fields[c] : t.fields[c] + " [" + t.units[c] + "]"));
        std::cout << Join(cells, ",") << "\n";
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            cells = {std::to_string(i + 1)};
            for (std::size_t c = 0; c < t.rows[i].size(); ++c) {
                const double v = t.values[i][c];
                cells.push_back(t.units[c].empty() ? CsvCell(t.rows[i][c]) : std::isnan(v) ? "" : NumToText(v));
            }
            std::cout << Join(cells, ",") << "\n";
        }
        return;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> h0 = {""}, h1 = {"No."};
    h0.insert(h0.end(), t.header0.begin(), t.header0.end());
    h1.insert(h1.end(), t.header1.begin(), t.header1.end());
    rows.push_back(h0);
    rows.push_back(h1);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        std::vector<std::string> r = {std::to_string(i + 1)};
        r.insert(r.end(), t.rows[i].begin(), t.rows[i].end());
        rows.push_back(std::move(r));
    }
    PrintAligned(rows, {0, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15});
}

// Text progress on a terminal once the search has taken a while.
class CliUi : public SelectionUi {
public:
    explicit CliUi(int choose) : choose_(choose) {}
    void BeginSearch() override
    {
        start_ = std::chrono::steady_clock::now();
        tty_ = isatty(STDERR_FILENO) == 1;
    }
    void Progress(int value) override
    {
        if (!tty_) return;
        if (std::chrono::steady_clock::now() - start_ < std::chrono::milliseconds(700)) return;
        std::cerr << "\rSearching fans... " << value << "% " << std::flush;
        shown_ = true;
    }
    void EndSearch() override
    {
        if (shown_) std::cerr << "\r" << std::string(24, ' ') << "\r" << std::flush;
        shown_ = false;
    }
    void NoFansFound(const std::string& msg) override { noFans = msg; }
    void CandidateTaken(const CFanData& record) override { taken = record.CloneMe(); }
    int ChooseCandidate(const ResultTable& t, const ResultList& list) override
    {
        listed = true;
        table = t;
        count = list.Count();
        return choose_ >= 1 && choose_ <= count ? choose_ : 0;
    }

    bool listed = false;
    int count = 0;
    ResultTable table;
    std::string noFans;
    std::unique_ptr<CFanData> taken;  // the chosen candidate as the search found it

private:
    int choose_;
    bool tty_ = false, shown_ = false;
    std::chrono::steady_clock::time_point start_;
};

// The names of the record's fields that a fan file's lines give values to.
bool FileFieldNames(const std::string& path, const CFanData& record, std::set<std::string, ILess>& names,
                    std::string& error)
{
    std::vector<std::string> lines;
    if (!ReadTextLines(path, lines, &error)) {
        error = "cannot read the fan file " + path + (error.empty() ? "" : ": " + error);
        return false;
    }
    for (const std::string& l : lines) {
        const std::string t = Trim(l);
        const auto eq = t.find('=');
        if (eq != std::string::npos && record.Item(Trim(t.substr(0, eq)))) names.insert(Trim(t.substr(0, eq)));
    }
    if (names.empty()) {
        error = path + " holds no field of a fan file";
        return false;
    }
    return true;
}

}  // namespace

bool ApplySet(CFanData& record, const std::string& assignment, std::string* error)
{
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) {
        if (error) *error = "--set needs NAME=TEXT, got '" + assignment + "'";
        return false;
    }
    const EditOutcome out = EditField(record, Trim(assignment.substr(0, eq)), assignment.substr(eq + 1));
    if (error) *error = out.message;
    if (out.accepted && !out.message.empty()) std::cerr << "aerolyx-cli: warning: " << out.message << "\n";
    return out.accepted;
}

void CliSelectUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli select [--data DIR] [--project FILE] [--set NAME=TEXT]...\n"
           "                          [--format table|csv|json] [--choose N] [--save FILE]\n"
           "                          [--lang XX] [--units KIND;UNIT|...] [--threads N] [--]\n";
    if (!full) return;
    out << "  Runs the fan selection for the duty of the project (the defaults, or FILE)\n"
           "  after setting fields as typed in the input grid (in the user's units), and\n"
           "  lists every candidate. --choose N takes candidate N as the project and\n"
           "  --save writes it as a fan file.\n"
           "  --format table is for people; csv is for machines: a header row of field\n"
           "  names with their units, plain numbers with \".\" and no thousands separators;\n"
           "  json gives every field of every candidate in stored units.\n"
           "  --threads N searches with N threads (0: one per core; the default is the\n"
           "  SearchThreads setting, else one per core); the results are the same.\n"
           "  --units chooses display units for this run (not saved), e.g.\n"
           "  \"VL;m3/s|PA;InchWG\". Unit kinds and their units:\n";
    const CUnit units;
    for (const std::string kind : CUnit::Kinds()) {
        std::vector<std::string> codes;
        for (const std::string& u : Split(units.GetUnitCodes(kind), '|'))
            if (!u.empty()) codes.push_back(u == units.GetUnitCode(kind) ? u + " (default)" : u);
        out << "    " << kind << std::string(kind.size() < 5 ? 5 - kind.size() : 1, ' ') << Join(codes, ", ") << "\n";
    }
    out << "  --        ends the options\n"
           "Exit status: 0 done, 2 bad arguments or input (also a duty that cannot be\n"
           "searched: air flow not above 0, no static or total pressure), 3 no fans found.\n";
}

void CliShowUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli show [--data DIR] [--lang XX] [--units KIND;UNIT|...] [--] FILE\n";
    if (full)
        out << "  Lists the fields of a fan file as caption, formatted value and unit; values\n"
               "  of the first and the second motor speed are labelled as such.\n"
               "  --        ends the options (for a FILE that begins with -)\n";
}

int CliSelect(const std::vector<std::string>& args)
{
    StartArgs start;
    std::string project, format = "table", save;
    std::vector<std::string> sets;
    int choose = 0;
    bool chooseGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            // Nothing but options is taken here.
            if (i + 1 < args.size()) {
                CliSelectUsage(false);
                return Fail("unexpected argument '" + args[i + 1] + "'");
            }
            break;
        }
        std::string error;
        if (TakeStartOption(args, i, start, error)) {
            if (!error.empty()) return Fail(error);
            continue;
        }
        auto value = [&](const std::string& opt, std::string& out) {
            if (a == opt) {
                if (i + 1 >= args.size()) return Fail(opt + " needs a value"), false;
                out = args[++i];
                return true;
            }
            if (StartsWith(a, opt + "=")) {
                out = a.substr(opt.size() + 1);
                return true;
            }
            return false;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            CliSelectUsage(true);
            return kExitOk;
        } else if (value("--project", v)) {
            project = v;
        } else if (value("--set", v)) {
            if (v.find('=') == std::string::npos) return Fail("--set needs NAME=TEXT, got '" + v + "'");
            sets.push_back(v);
        } else if (value("--format", v)) {
            format = ToLower(v);
            if (format != "table" && format != "csv" && format != "json")
                return Fail("--format must be table, csv or json, not '" + v + "'");
        } else if (value("--choose", v)) {
            if (!IsNumeric(v) || TextToNum(v) < 1 || TextToNum(v) != static_cast<int>(TextToNum(v)))
                return Fail("--choose needs a candidate number (1, 2, ...), not '" + v + "'");
            choose = static_cast<int>(TextToNum(v));
            chooseGiven = true;
        } else if (value("--save", v)) {
            if (Trim(v).empty()) return Fail("--save needs a file name");
            save = v;
        } else if (a == "--project" || a == "--set" || a == "--format" || a == "--choose" || a == "--save") {
            return kExitBad;  // value() reported the missing value
        } else {
            CliSelectUsage(false);
            return Fail("unknown argument '" + a + "'");
        }
    }

    AppContext ctx;
    std::string error;
    if (!Start(ctx, start, true, error)) return Fail(error);

    CFanData record;
    if (record.LoadFanFields() == 0) return Fail("the settings file defines no fields");
    PrefillUser(record);
    if (!project.empty()) {
        if (!FileExists(project)) return Fail("cannot read the fan file " + project + ": no such file");
        std::set<std::string, ILess> names;
        if (!FileFieldNames(project, record, names, error)) return Fail(error);
        if (!record.ReadFromFile(project, "", &error))
            return Fail("cannot read the fan file " + project + (error.empty() ? "" : ": " + error));
        if (!record.ValueI("I_Rebate").isEmpty()) {
            const double r = rec::Num(record, "I_Rebate");
            if (r < 0 || r >= 100) return Fail("the fan file's rebate " + NumToText(r) + " is not in 0..<100");
            Prog().Rebate = r;
        }
    }
    for (const std::string& s : sets)
        if (!ApplySet(record, s, &error)) return Fail(error);

    CliUi ui(choose);
    ResultList stored;
    const CalculationOutcome calc = RunCalculation(record, ui, stored, TodayShortDate());
    if (calc.status == CalculationOutcome::Status::InvalidDuty)
        return Fail("the duty cannot be searched: " + calc.field + ": " + calc.message);
    if (calc.status == CalculationOutcome::Status::Failed) return Fail(calc.message);
    if (!ui.noFans.empty()) {
        std::cerr << ui.noFans << "\n";
        return kExitNoFans;
    }

    ResultTable table;
    std::vector<const CFanData*> records;
    if (ui.listed) {
        table = ui.table;
        for (auto& c : stored.candidates) records.push_back(c.get());
    } else if (ui.taken) {
        records.push_back(ui.taken.get());
        table = MakeResultTable(records);
    }
    PrintCandidates(format, table, records);
    std::cout.flush();

    const int count = static_cast<int>(records.size());
    if (chooseGiven && choose > count)
        return Fail("--choose " + std::to_string(choose) + ": there " + (count == 1 ? "is 1 candidate" : "are " +
                    std::to_string(count) + " candidates"));
    if (!chooseGiven && !save.empty() && count > 1)
        return Fail("--save needs --choose N: there are " + std::to_string(count) + " candidates");
    if (!calc.taken() || (!chooseGiven && save.empty())) return kExitOk;
    // A project whose accessories could not follow the fan is not saved.
    if (!calc.message.empty()) return Fail(calc.message);
    std::cerr << "Chosen: " << record.ValueF("O_Code") << "\n";
    if (!save.empty()) {
        record.setValueI("O_Calc", Variant(1));
        if (!record.WriteToFile(save, "", &error))
            return Fail("cannot write " + save + (error.empty() ? "" : ": " + error));
        std::cerr << "Saved " << save << "\n";
    }
    return kExitOk;
}

int CliShow(const std::vector<std::string>& args)
{
    StartArgs start;
    std::string file;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (!optionsDone && args[i] == "--") {
            optionsDone = true;
            continue;
        }
        if (optionsDone) {
            if (!file.empty()) {
                CliShowUsage(false);
                return Fail("unexpected argument '" + args[i] + "'");
            }
            file = args[i];
            continue;
        }
        if (TakeStartOption(args, i, start, error)) {
            if (!error.empty()) return Fail(error);
            continue;
        }
        if (args[i] == "-h" || args[i] == "--help") {
            CliShowUsage(true);
            return kExitOk;
        }
        if (StartsWith(args[i], "--") || !file.empty()) {
            CliShowUsage(false);
            return Fail("unexpected argument '" + args[i] + "'");
        }
        file = args[i];
    }
    if (file.empty()) {
        CliShowUsage(false);
        return Fail("show needs a fan file");
    }
    std::string error;
    if (!FileExists(file)) return Fail("cannot read the fan file " + file + ": no such file");

    AppContext ctx;
    // The catalogue only supplies choice texts here; without it values show as stored.
    if (!Start(ctx, start, false, error)) return Fail(error);
    CFanData record;
    if (record.LoadFanFields() == 0) return Fail("the settings file defines no fields");
    record.ClearAllValues();
    std::set<std::string, ILess> named;
    if (!FileFieldNames(file, record, named, error)) return Fail(error);
    if (!record.ReadFromFile(file, "", &error)) return Fail("cannot read the fan file " + file);

    // The result rows pair the values of the two motor speeds; each is
    // labelled, as the window's columns are.
    std::map<std::string, int, ILess> speed;
    if (Prog().Ini)
        for (const GridRowDef& def : ReadGridRows(*Prog().Ini, "0311"))
            if (!def.title && !def.field1.empty() && !def.field2.empty()) {
                speed[def.field1] = 1;
                speed[def.field2] = 2;
            }
    std::vector<std::vector<std::string>> rows;
    for (const CLpField& f : record) {
        if (!named.count(f.FName())) continue;
        std::string caption = fieldenv::Translate(FieldCaption(record, f.FName()));
        if (caption.empty()) caption = f.FName();
        if (const auto s = speed.find(f.FName()); s != speed.end())
            caption += " (" + Tr(s->second == 1 ? "Speed 1" : "Speed 2") + ")";
        rows.push_back({caption, record.ValueF(f.FName()), f.UnitKZ(true)});
    }
    PrintAligned(rows, {});
    return kExitOk;
}

}  // namespace aerolyx
