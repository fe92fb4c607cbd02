#include "cli/CliApp.h"

#include <QApplication>
#include <cstring>

namespace aerolyx {

std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv)
{
    static const char* const kDrawing[] = {"print", "chart", "sound", "text"};
    bool drawing = false;
    for (const char* name : kDrawing) drawing = drawing || (argc > 1 && std::strcmp(argv[1], name) == 0);
    if (!drawing) return std::make_unique<QCoreApplication>(argc, argv);
    // Nothing is shown, so no display is needed; a platform the user chose stays.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace aerolyx
