#pragma once
// A QApplication for widget tests (the platform plugin comes from
// QT_QPA_PLATFORM, offscreen under ctest).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace aerolyx::test {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "tests_ui";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `act` on the next modal dialog that opens (as a user would answer it).
inline void WhenModal(std::function<void(QWidget*)> act, int tries = 200)
{
    QTimer::singleShot(10, [act, tries]() {
        QWidget* w = QApplication::activeModalWidget();
        if (w) act(w);
        else if (tries > 0) WhenModal(act, tries - 1);
    });
}

}  // namespace aerolyx::test
