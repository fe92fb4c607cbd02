// aerolyx: the desktop program. Starts on the data folder next to the
// executable (or --data DIR / AEROLYX_DATA) and shows the main window.
#include <QApplication>
#include <cstdio>
#include <string>

#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "lang/MessageSink.h"
#include "model/ProjectInfo.h"
#include "ui/TranslateForm.h"
#include "ui/frmMain.h"

using namespace aerolyx;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Aerolyx");
    QApplication::setApplicationName("Aerolyx");
    SetMessageSink(ShowMessageBox);

    StartupOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--data" && i + 1 < argc) {
            options.dataDir = argv[++i];
        } else if (a.rfind("--data=", 0) == 0) {
            options.dataDir = a.substr(7);
        } else if (a == "--help" || a == "-h") {
            std::fputs("usage: aerolyx [--data DIR]\n  --data DIR  use DIR as the data folder\n", stdout);
            return 0;
        }
    }
    AppContext ctx;
    if (!ctx.Main(std::move(options))) return 1;
    if (!GetAccessoryPricing()) SetAccessoryPricing([](CFanData& r) { AccCalcPrice(r); });

    frmMain w;
    TranslateForm(&w);
    w.StartMeUp();
    w.setWindowTitle(QString::fromStdString(ctx.Caption()));
    w.show();
    return app.exec();
}
