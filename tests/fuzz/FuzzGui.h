#pragma once
// The output's readers need fonts and image plugins: a QGuiApplication
// (offscreen unless QT_QPA_PLATFORM says otherwise), made before the program
// is started so that FuzzSupport's Started() finds it.
#include <QGuiApplication>

namespace aerolyx::fuzz {

inline void EnsureGuiApp()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "aerolyx-fuzz";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

}  // namespace aerolyx::fuzz
