// aerolyx: the desktop program. Starts on the data folder next to the
// executable (or --data DIR / AEROLYX_DATA) and shows the main window.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "lang/MessageSink.h"
#include "model/ProjectInfo.h"
#include "ui/TranslateForm.h"
#include "ui/frmMain.h"

using namespace aerolyx;

int main(int argc, char** argv)
{
    // Help and version come before the window system, so they work on any terminal.
    StartupOptions options;
    std::string fanFile;  // opened at start, as file managers hand documents over
    const std::vector<std::string> args(argv + 1, argv + argc);
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded) {
            if (TakeOptionValue(args, i, "--data", options.dataDir) == OptionValue::Taken) continue;
            if (a == "--") {
                optionsEnded = true;
                continue;
            }
            if (a == "--help" || a == "-h") {
                std::fputs("usage: aerolyx [--data DIR] [--version] [--] [FILE]\n"
                           "  --data DIR  use DIR as the data folder\n"
                           "  --version   print the program's name and version\n"
                           "  --          ends the options\n"
                           "  FILE        a fan file to open\n",
                           stdout);
                return 0;
            }
            if (a == "--version" || a == "-V") {
                std::printf("%s\n", VersionLine("aerolyx", options.dataDir).c_str());
                return 0;
            }
            if (!a.empty() && a[0] == '-') continue;
        }
        if (fanFile.empty()) fanFile = a;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Aerolyx");
    QApplication::setApplicationName("Aerolyx");
    // Ties the window to the installed menu entry and icon (task bars, Wayland).
    QGuiApplication::setDesktopFileName("com.kelvaro.Aerolyx");
    QApplication::setWindowIcon(QIcon::fromTheme("aerolyx"));
    SetMessageSink(ShowMessageBox);
    AppContext ctx;
    if (!ctx.Main(std::move(options))) return 1;
    if (!GetAccessoryPricing()) SetAccessoryPricing([](CFanData& r) { AccCalcPrice(r); });

    frmMain w;
    TranslateForm(&w);
    w.StartMeUp();
    w.show();
    if (!fanFile.empty()) w.OpenFile(fanFile);
    return app.exec();
}
