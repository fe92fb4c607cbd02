#pragma once
// One QGuiApplication for the output's tests and fuzz targets (fonts,
// pictures, PDF), made on first use and before the program is started; the
// platform plugin comes from QT_QPA_PLATFORM, offscreen unless set.
#include <QGuiApplication>

namespace aerolyx::test {

inline void EnsureGuiApp()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "aerolyx-test";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

}  // namespace aerolyx::test
