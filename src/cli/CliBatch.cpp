// A schedule of duties, one selection each, on one catalogue connection:
// every row runs the same calculation command as `select` (fields typed as
// in the input grid, the duty checked, the accessories following), and a
// list of several candidates is decided by the chosen criterion instead of
// the user.
#include "cli/CliBatch.h"
#include "cli/CliFormat.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <iostream>

#include "accessories/RecordValues.h"
#include "app/AppContext.h"
#include "cli/CliStart.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "selection/Calculation.h"
#include "selection/FieldEdit.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

namespace {

constexpr int kExitOk = 0;

struct Criterion {
    const char* name;
    const char* field;
    int sign;  // +1: the highest wins, -1: the lowest
};
constexpr Criterion kCriteria[] = {
    {"best-efficiency", "O_Eta1", +1},
    {"lowest-power", "O_Vkw1", -1},
    {"lowest-price", "O_SumPrice", -1},
    {"lowest-noise", "O_Lw1", -1},
};

void Usage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli batch [--data DIR] [--format csv|json]\n"
           "                         [--choose best-efficiency|lowest-power|lowest-price|lowest-noise]\n"
           "                         [--lang XX] [--units KIND;UNIT|...] [--threads N] [--] SCHEDULE.csv\n";
    if (!full) return;
    out << "  Runs the fan selection once per row of SCHEDULE.csv. Its first row names\n"
           "  the fields (I_AirFlow, I_PresS, I_BaseTmp, ...); every further row is one\n"
           "  duty, its cells typed as in the input grid (the user's units and number\n"
           "  format) over the default project; an empty cell keeps the default.\n"
           "  When several fans fit, --choose decides (default best-efficiency).\n"
           "  Writes one result per duty row: csv (the list's columns of the chosen fan)\n"
           "  or json (every field of the chosen fan in stored units); \"No fans found\"\n"
           "  when none fits. A row that cannot be used is reported on standard error\n"
           "  with its row number and skipped; the others still run. Long schedules show\n"
           "  their progress on standard error. --threads N searches each duty with N\n"
           "  threads (0: one per core).\n"
           "  --        ends the options\n"
           "Exit status: 0 every row ran, 2 bad arguments or schedule, or some rows skipped.\n";
}

// One CSV line: cells split at commas outside double quotes, "" inside
// quotes for a quote. False when a quote is left open.
bool SplitCsv(const std::string& line, std::vector<std::string>& cells)
{
    cells.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cells.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return !quoted;
}

// Chooses from the list by the criterion; the first of equals wins, a
// candidate without the value never does.
class BatchUi : public SelectionUi {
public:
    explicit BatchUi(const Criterion& c) : c_(c) {}
    void NoFansFound(const std::string& msg) override { noFans = msg; }
    int ChooseCandidate(const ResultTable&, const ResultList& list) override
    {
        int best = 0;
        double bestValue = 0;
        for (int i = 0; i < list.Count(); ++i) {
            const Variant v = list.candidates[static_cast<std::size_t>(i)]->ValueI(c_.field);
            if (!v.isNumeric()) continue;
            const double x = v.toDouble() * c_.sign;
            if (best == 0 || x > bestValue) {
                best = i + 1;
                bestValue = x;
            }
        }
        return best;
    }
    std::string noFans;

private:
    const Criterion& c_;
};

// "row 120 of 1000" on standard error once a schedule has run a while.
class Progress {
public:
    explicit Progress(int rows) : rows_(rows), tty_(isatty(STDERR_FILENO) == 1) {}
    void Row(int done)
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(tty_ ? 200 : 5000)) return;
        last_ = now;
        const std::string text = "batch: " + std::to_string(done) + " of " + std::to_string(rows_) + " rows";
        if (tty_) {
            std::cerr << "\r" << text << std::flush;
            shown_ = true;
        } else {
            std::cerr << text << "\n";
        }
    }
    ~Progress()
    {
        if (shown_) std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
    }

private:
    int rows_;
    bool tty_, shown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_{};
};

}  // namespace

int CliBatch(const std::vector<std::string>& args)
{
    StartArgs start;
    std::string format = "csv", schedule;
    const Criterion* criterion = &kCriteria[0];
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            if (i + 2 == args.size() && schedule.empty()) {
                schedule = args[i + 1];
                break;
            }
            Usage(false);
            return Fail(i + 1 >= args.size() ? "no schedule file given" : "one schedule file only");
        }
        std::string error;
        if (TakeStartOption(args, i, start, error)) {
            if (!error.empty()) return Fail(error);
            continue;
        }
        std::string v;
        auto value = [&](const std::string& opt) {
            if (a == opt) {
                if (i + 1 >= args.size()) return false;
                v = args[++i];
                return true;
            }
            if (StartsWith(a, opt + "=")) {
                v = a.substr(opt.size() + 1);
                return true;
            }
            return false;
        };
        if (a == "-h" || a == "--help") {
            Usage(true);
            return kExitOk;
        } else if (value("--format")) {
            format = ToLower(v);
            if (format != "csv" && format != "json") return Fail("--format must be csv or json, not '" + v + "'");
        } else if (value("--choose")) {
            criterion = nullptr;
            for (const Criterion& c : kCriteria)
                if (ToLower(v) == c.name) criterion = &c;
            if (!criterion)
                return Fail("--choose must be best-efficiency, lowest-power, lowest-price or lowest-noise, not '" + v + "'");
        } else if (a == "--format" || a == "--choose") {
            return Fail(a + " needs a value");
        } else if (StartsWith(a, "-") && a != "-") {
            Usage(false);
            return Fail("unknown argument '" + a + "'");
        } else if (schedule.empty()) {
            schedule = a;
        } else {
            Usage(false);
            return Fail("one schedule file only, got also '" + a + "'");
        }
    }
    if (schedule.empty()) {
        Usage(false);
        return Fail("no schedule file given");
    }

    std::vector<std::string> lines;
    std::string error;
    if (!ReadTextLines(schedule, lines, &error))
        return Fail("cannot read the schedule " + schedule + (error.empty() ? "" : ": " + error));

    AppContext ctx;
    if (!Start(ctx, start, true, error)) return Fail(error);
    CFanData base;
    if (base.LoadFanFields() == 0) return Fail("the settings file defines no fields");

    // The header row: the first line that is not blank.
    std::size_t at = 0;
    while (at < lines.size() && Trim(lines[at]).empty()) ++at;
    if (at == lines.size()) return Fail(schedule + ": no header row of field names");
    std::vector<std::string> names;
    if (!SplitCsv(lines[at], names)) return Fail(schedule + ": row " + std::to_string(at + 1) + ": a quote is not closed");
    for (std::string& n : names) {
        n = Trim(n);
        if (n.empty()) return Fail(schedule + ": the header row has an empty field name");
        if (!base.Item(n)) return Fail(schedule + ": '" + n + "' in the header row is not a field");
    }
    std::vector<std::size_t> duties;
    for (std::size_t l = at + 1; l < lines.size(); ++l)
        if (!Trim(lines[l]).empty()) duties.push_back(l);

    const ResultTable columns = MakeResultTable({});
    if (format == "csv") {
        std::vector<std::string> cells = {"Row"};
        for (const std::string& n : names) cells.push_back(CsvCell(n));
        cells.push_back("Result");
        for (std::size_t c = 0; c < columns.fields.size(); ++c)
            cells.push_back(CsvCell(columns.units[c].empty() ? columns.fields[c]
                                                             : columns.fields[c] + " [" + columns.units[c] + "]"));
        std::cout << Join(cells, ",") << "\n";
    } else {
        std::cout << "[";
    }

    int skipped = 0, written = 0;
    Progress progress(static_cast<int>(duties.size()));
    for (std::size_t d = 0; d < duties.size(); ++d) {
        progress.Row(static_cast<int>(d));
        const std::size_t l = duties[d];
        const std::string row = "row " + std::to_string(l + 1);
        auto skip = [&](const std::string& why) {
            std::cerr << "aerolyx-cli: " << schedule << ": " << row << ": " << why << "; skipped\n";
            ++skipped;
        };
        std::vector<std::string> cells;
        if (!SplitCsv(lines[l], cells)) {
            skip("a quote is not closed");
            continue;
        }
        if (cells.size() != names.size()) {
            skip(std::to_string(cells.size()) + " cells for " + std::to_string(names.size()) + " fields");
            continue;
        }
        std::unique_ptr<CFanData> record = base.CloneMe();
        std::string refused;
        for (std::size_t c = 0; c < cells.size() && refused.empty(); ++c) {
            if (Trim(cells[c]).empty()) continue;
            const EditOutcome out = EditField(*record, names[c], cells[c]);
            if (!out.accepted) refused = names[c] + ": " + out.message;
        }
        if (!refused.empty()) {
            skip(refused);
            continue;
        }
        BatchUi ui(*criterion);
        ResultList stored;
        CalculationOutcome calc;
        try {
            calc = RunCalculation(*record, ui, stored, TodayShortDate());
        } catch (const std::exception& e) {
            calc.status = CalculationOutcome::Status::Failed;
            calc.message = e.what();
        }
        if (calc.status == CalculationOutcome::Status::InvalidDuty) {
            skip("the duty cannot be searched: " + calc.field + ": " + calc.message);
            continue;
        }
        if (calc.status == CalculationOutcome::Status::Failed) {
            skip(calc.message);
            continue;
        }
        const bool taken = calc.taken();
        const std::string none = ui.noFans.empty() ? std::string("No fans found") : ui.noFans;
        if (format == "csv") {
            std::vector<std::string> out = {std::to_string(l + 1)};
            for (const std::string& c : cells) out.push_back(CsvCell(c));
            out.push_back(CsvCell(taken ? std::string("selected") : none));
            if (taken) {
                const ResultTable t = MakeResultTable({record.get()});
                for (std::size_t c = 0; c < t.fields.size(); ++c) {
                    const double v = t.values[0][c];
                    out.push_back(t.units[c].empty() ? CsvCell(t.rows[0][c]) : std::isnan(v) ? "" : NumToText(v));
                }
            } else {
                out.resize(out.size() + columns.fields.size());
            }
            std::cout << Join(out, ",") << "\n";
        } else {
            std::cout << (written ? ",\n " : "\n ") << "{\"row\": " << l + 1 << ", ";
            if (taken) {
                std::cout << "\"fan\": {";
                bool first = true;
                for (const CLpField& f : *record) {
                    std::cout << (first ? "" : ", ") << JsonString(f.FName()) << ": " << JsonValue(f.ValueI());
                    first = false;
                }
                std::cout << "}}";
            } else {
                std::cout << "\"fan\": null, \"message\": " << JsonString(none) << "}";
            }
        }
        ++written;
    }
    if (format == "json") std::cout << (written ? "\n]\n" : "]\n");
    std::cout.flush();
    return skipped ? kExitBad : kExitOk;
}

}  // namespace aerolyx
