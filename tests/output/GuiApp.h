#pragma once
// One QGuiApplication for the output tests (fonts, pictures, PDF), made on
// first use; the platform plugin comes from QT_QPA_PLATFORM, offscreen unless set.
#include <QGuiApplication>

namespace aerolyx::test {

inline void EnsureGuiApp()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tests_output";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

}  // namespace aerolyx::test
