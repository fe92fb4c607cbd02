#include "cli/CliEngine.h"

#include <iostream>
#include <memory>
#include <utility>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "app/DbConnection.h"
#include "cli/CliStart.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "engine/DORozEvIdad.h"
#include "lang/MessageSink.h"

namespace aerolyx {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitStart = 1;

int Bad(const std::string& message)
{
    std::cerr << "aerolyx-cli engine: " << message << "\n";
    CliEngineUsage(false);
    return kExitBad;
}

}  // namespace

void CliEngineUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli engine [--data DIR] [--] CODE PARAMS [CODE PARAMS]...\n";
    if (!full) return;
    out << "Sends each CODE with its PARAMS to one fan engine over the catalogue and prints\n"
           "one reply per line. PARAMS is one argument (quote it; \"\" for none).\n"
           "  1, 1001   duty: V;p;outlet factor;min eta;kind (1 static, 2 total);k;-;FsID;tol;0;0;\n"
           "            pole;distance;Hz;extra drop;extra drop factor;formulas joined with |\n"
           "  2, 1002   query: MAIN, FAN, KZ or GET:n;slot;kind\n"
           "  1003      check V;p against the loaded fan's limits\n"
           "  1004      recompute the loaded fan for V;p (total pressure)\n"
           "  9, 1099   reset\n"
           "  --data DIR   the data folder (with Dodov.ini and the catalogue)\n"
           "  --           ends the options\n"
           "example: aerolyx-cli engine 1001 \"8000;500;0;0;2;1;0;12;5;0;0;4;0;50;0;0;\" 2 FAN\n";
}

int CliEngine(const std::vector<std::string>& args)
{
    std::string data;
    std::vector<std::pair<int, std::string>> commands;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsDone) {
            if (a == "--") {
                optionsDone = true;
                continue;
            }
            if (a == "-h" || a == "--help") {
                CliEngineUsage(true);
                return kExitOk;
            }
            switch (TakeOptionValue(args, i, "--data", data)) {
            case OptionValue::Taken: continue;
            case OptionValue::Missing: return Bad("--data needs a folder");
            case OptionValue::NotThisOption: break;
            }
            if (StartsWith(a, "--")) return Bad("unknown option '" + a + "'");
        }
        const std::string code = Trim(a);
        std::size_t used = 0;
        const double value = TextToNum(code, &used);
        if (code.empty() || used != code.size() || code.find_first_of(".eE") != std::string::npos ||
            value < -32768 || value > 32767)
            return Bad("'" + a + "' is not a function code (a whole number such as 1001)");
        if (i + 1 >= args.size()) return Bad("function code " + code + " has no parameter string (give \"\" for none)");
        commands.emplace_back(static_cast<int>(value), args[++i]);
    }
    if (commands.empty()) return Bad("no commands given");

    SetMessageSink([](const std::string& text, MessageKind kind) {
        const char* what = kind == MessageKind::Critical ? "error" : kind == MessageKind::Warning ? "warning" : "note";
        std::cerr << "aerolyx-cli engine: " << what << ": " << ReplaceAll(text, "\r\n", "\n  ") << "\n";
    });
    if (!data.empty() && !FileExists(JoinPath(data, "Dodov.ini"))) {
        std::cerr << "aerolyx-cli engine: no Dodov.ini in the data folder " << data << "\n";
        return kExitBad;
    }
    AppContext ctx;
    StartupOptions options;
    options.dataDir = data;
    if (!ctx.Main(std::move(options))) {
        std::cerr << "aerolyx-cli engine: start-up failed (the default language could not be started)\n";
        return kExitStart;
    }
    if (!ctx.settingsFileRead) {
        std::cerr << "aerolyx-cli engine: the settings file Dodov.ini could not be read in " << ctx.AppPath << "\n";
        return kExitStart;
    }
    if (!ctx.DBConnection) {
        std::cerr << "aerolyx-cli engine: no catalogue connection"
                  << (ctx.connectionMessage.empty() ? "" : ": " + ctx.connectionMessage) << "\n";
        return kExitStart;
    }
    DORozEvIdad engine(*ctx.DBConnection);
    for (const auto& [code, params] : commands) std::cout << engine.Execute(code, params) << "\n";
    std::cout.flush();
    return kExitOk;
}

}  // namespace aerolyx
