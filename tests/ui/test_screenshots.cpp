// Pictures of every window for the documentation and for looking at, taken
// when AEROLYX_SCREENSHOT_DIR names a folder (run under a display server).
#include <gtest/gtest.h>

#include <QDialog>
#include <cstdlib>
#include <functional>

#include "ProgramFixture.h"
#include "lang/CTranslater.h"
#include "ui/TranslateForm.h"
#include "ui/frmAirDir.h"
#include "ui/frmCurve.h"
#include "ui/frmPrint.h"
#include "ui/frmSound.h"
#include "ui/frmText.h"

using namespace aerolyx;

using Screenshots = test::MainWindowTest;

TEST_F(Screenshots, EveryWindowInEveryLanguage)
{
    const char* dir = std::getenv("AEROLYX_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "AEROLYX_SCREENSHOT_DIR not set";
    auto save = [out = QString::fromUtf8(dir)](QWidget* w, const std::string& name) {
        QApplication::processEvents();
        EXPECT_TRUE(w->grab().save(out + "/" + QString::fromStdString(name) + ".png")) << name;
    };
    w_->setGeometry(0, 0, 1280, 800);
    w_->show();
    test::WhenModal([&](QWidget* dlg) {
        save(dlg, "result-list");
        qobject_cast<frmSelect*>(dlg)->OnOk();
    });
    w_->RunTool("miCalc");
    ASSERT_FALSE(w_->Outdated());
    fd().setValueI("I_Project", Variant("Exhaust hall 3"));
    test::WhenModal([&](QWidget* dlg) {
        save(dlg, "project-dialog");
        qobject_cast<QDialog*>(dlg)->reject();
    });
    w_->RunTool("miPro");

    std::vector<std::pair<std::string, std::string>> directions;
    for (const ChoiceEntry& e : ParseChoiceList(fd().Item("I_AirDir")->CboBox(true)))
        directions.emplace_back(e.value, e.shown);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> windows = {
        {"text-window", [&] { auto w = std::make_unique<frmText>(); w->Startup(fd()); return w; }},
        {"sound-sheet", [&] { auto w = std::make_unique<frmSound>(); w->Startup(fd()); return w; }},
        {"performance-chart", [&] { auto w = std::make_unique<frmCurve>(); w->Startup(fd()); return w; }},
        {"print-preview", [&] {
             auto w = std::make_unique<frmPrint>();
             std::string error;
             EXPECT_TRUE(w->CreatePrintOut(fd(), "FAN", "", &error)) << error;
             return w;
         }},
        {"air-direction-picker", [&] { auto w = std::make_unique<frmAirDir>(); w->Startup(directions, "A"); return w; }},
    };
    for (const char* language : {"EN", "DE", "IT"}) {
        ASSERT_TRUE(Prog().Translator->Startup(language, Prog().AppPath));
        w_->RetranslateWindow();
        save(w_.get(), std::string("main-window-") + language);
        for (const auto& [name, make] : windows)
            for (const QSize size : {QSize(700, 500), QSize(1400, 1000)}) {
                std::unique_ptr<QWidget> w = make();
                TranslateForm(w.get());
                w->resize(size.expandedTo(w->minimumSizeHint()));
                w->show();
                save(w.get(), std::string(name) + "-" + language + "-" + std::to_string(size.width()));
            }
    }
}
