#include "cli/CliStart.h"

#include <iostream>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "units/CUnit.h"

namespace aerolyx {

int Fail(const std::string& message)
{
    std::cerr << "aerolyx-cli: " << message << "\n";
    return kExitBad;
}

std::ostream& UsageStream(bool asked) { return asked ? std::cout : std::cerr; }

// Consumes --data, --lang, --units, --threads (also as --opt=value). Returns
// true when args[i] was one of them; *error is set when its value is missing.
bool TakeStartOption(const std::vector<std::string>& args, std::size_t& i, StartArgs& s, std::string& error)
{
    for (auto [name, target] : {std::pair{"--data", &s.data}, std::pair{"--lang", &s.lang},
                                std::pair{"--units", &s.units}, std::pair{"--threads", &s.threads}}) {
        switch (TakeOptionValue(args, i, name, *target)) {
        case OptionValue::Taken: return true;
        case OptionValue::Missing: error = std::string(name) + " needs a value"; return true;
        case OptionValue::NotThisOption: break;
        }
    }
    return false;
}

int TakeOption(const std::vector<std::string>& args, std::size_t& i, const char* name, std::string& value)
{
    switch (TakeOptionValue(args, i, name, value)) {
    case OptionValue::Taken: return 1;
    case OptionValue::Missing: return -1;
    case OptionValue::NotThisOption: return 0;
    }
    return 0;
}

namespace {

bool ValidUnits(const std::string& form, std::string& error)
{
    const CUnit* units = Prog().Units;
    if (!units) return true;
    for (const std::string& pair : Split(form, '|')) {
        const std::vector<std::string> kv = Split(pair, ';');
        if (kv.size() != 2 || !units->TestUnit(Trim(kv[0]))) {
            error = "--units: '" + pair + "' is not a unit choice (kind;unit, for example VL;m3/s|PA;InchWG)";
            return false;
        }
        bool known = false;
        for (const std::string& u : Split(units->GetUnitCodes(ToUpper(Trim(kv[0]))), '|'))
            known = known || IEquals(u, Trim(kv[1]));
        if (!known) {
            error = "--units: '" + Trim(kv[1]) + "' is not a unit of " + ToUpper(Trim(kv[0])) + " (" +
                    ReplaceAll(units->GetUnitCodes(ToUpper(Trim(kv[0]))), "|", ", ") + ")";
            return false;
        }
    }
    return true;
}

}  // namespace

bool Start(AppContext& ctx, const StartArgs& s, bool needCatalogue, std::string& error)
{
    SetMessageSink([](const std::string& text, MessageKind kind) {
        const char* what = kind == MessageKind::Critical ? "error" : kind == MessageKind::Warning ? "warning" : "note";
        std::cerr << "aerolyx-cli: " << what << ": " << ReplaceAll(text, "\r\n", "\n  ") << "\n";
    });
    int threads = -1;
    if (!s.threads.empty()) {
        const std::string t = Trim(s.threads);
        if (t.empty() || t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos) {
            error = "--threads needs a whole number of threads (0: one per core), not '" + s.threads + "'";
            return false;
        }
        threads = std::stoi(t);
    }
    StartupOptions options;
    options.dataDir = s.data;
    if (!s.data.empty() && !FileExists(JoinPath(s.data, "Dodov.ini"))) {
        error = "no Dodov.ini in the data folder " + s.data;
        return false;
    }
    if (!ctx.Main(std::move(options))) {
        error = "start-up failed (the default language could not be started)";
        return false;
    }
    if (!ctx.settingsFileRead) {
        error = "the settings file Dodov.ini could not be read in " + ctx.AppPath;
        return false;
    }
    if (needCatalogue && !ctx.DBConnection) {
        error = "no catalogue connection";  // the connection message itself went out through the sink
        return false;
    }
    if (!s.lang.empty()) {
        const std::string code = ToUpper(s.lang);
        if (code.size() != 2 || !ctx.Translator || !ctx.Translator->Startup(code, ctx.AppPath)) {
            error = "--lang " + s.lang + ": no such language in " + ctx.AppPath;
            return false;
        }
    }
    if (!s.units.empty()) {
        if (!ValidUnits(s.units, error)) return false;
        ctx.Units->LoadCodes(s.units);
    }
    if (threads >= 0) ctx.SearchThreads = Prog().SearchThreads = threads;
    return true;
}

std::string ReadFanFile(const std::string& file, CFanData& record)
{
    if (record.LoadFanFields() == 0) return "the settings file defines no fields";
    record.ClearAllValues();
    std::string error;
    if (!record.ReadFromFile(file, "", &error))
        return "cannot read the fan file " + file + (error.empty() ? "" : ": " + error);
    return {};
}

std::string LoadCurrentFanFile(const std::string& file, CFanData& record)
{
    if (!FileExists(file)) return "cannot read the fan file " + file + ": no such file";
    if (record.LoadFanFields() == 0) return "the settings file defines no fields";
    std::vector<std::string> lines;
    std::string error;
    if (!ReadTextLines(file, lines, &error)) return "cannot read the fan file " + file + ": " + error;
    bool named = false;
    for (const std::string& l : lines) {
        const auto eq = l.find('=');
        named = named || (eq != std::string::npos && record.Item(Trim(l.substr(0, eq))));
    }
    if (!named) return file + " holds no field of a fan file";
    if (!record.ReadFromFile(file, "", &error)) return "cannot read the fan file " + file;
    if (!record.ValueI("I_Rebate").isEmpty()) {
        const double r = record.ValueI("I_Rebate").toDouble();
        if (r < 0 || r >= 100) return "the fan file's rebate " + NumToText(r) + " is not in 0..<100";
        Prog().Rebate = r;
    }
    // The window offers sheets only for current results; so does this.
    if (record.ValueI("O_Calc").toDouble() == 0)
        return file + ": the results are not current (calculate and save the fan first)";
    return {};
}

}  // namespace aerolyx
