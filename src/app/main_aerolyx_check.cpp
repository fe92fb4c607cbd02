// Start-up check: starts like the program up to the main window and prints
// what it found. Exit 0 when everything started, 2 when the catalogue
// connection failed (the rest is still printed), 1 when start-up had to end
// or the options were wrong.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "app/DbConnection.h"
#include "common/StrUtil.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"

using namespace aerolyx;

namespace {

void Usage(std::FILE* to)
{
    std::fputs("usage: aerolyx-check [--data DIR]\n"
               "  Starts Aerolyx up to the main window and prints the caption, the data\n"
               "  folder, the catalogue connection and the active language.\n"
               "  --data DIR  use DIR as the data folder\n"
               "Exit status: 0 started, 2 no catalogue connection, 1 start-up failed.\n",
               to);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    StartupOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (TakeOptionValue(args, i, "--data", options.dataDir) == OptionValue::Taken) continue;
        if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "aerolyx-check: unknown option '%s'\n", a.c_str());
            Usage(stderr);
            return 1;
        }
    }
    SetMessageSink([](const std::string& text, MessageKind kind) {
        const char* what = kind == MessageKind::Critical ? "error" : kind == MessageKind::Warning ? "warning" : "note";
        std::fprintf(stderr, "aerolyx-check: %s: %s\n", what, ReplaceAll(text, "\r\n", "\n  ").c_str());
    });

    AppContext ctx;
    const bool started = ctx.Main(std::move(options));
    std::printf("Caption: %s\n", ctx.Caption().c_str());
    std::printf("Data folder: %s\n", ctx.AppPath.c_str());
    if (ctx.DBConnection)
        std::printf("Connection: %s %s\n", ctx.DBConnection->Provider().c_str(),
                    ctx.DBConnection->DatabaseName().c_str());
    else
        std::printf("Connection: none (failed)\n");
    if (started && ctx.Translator)
        std::printf("Language: %s (%s)\n", ctx.Translator->Language().c_str(), ctx.Translator->Text(1).c_str());
    else
        std::printf("Language: none\n");
    std::fflush(stdout);
    if (!started) return 1;
    return ctx.DBConnection ? 0 : 2;
}
