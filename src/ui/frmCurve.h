#pragma once
// The chart window: the performance chart of the current fan with the
// choice of motor speed and panels, print (printer settings of section
// FanC), PDF export and picture export. Runs beside a disabled main window
// and reports Closed() when it is no longer active.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "output/CFanCurve.h"
#include "output/ChartPage.h"
#include "output/PrintSettings.h"

class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace aerolyx {

class CFanData;

// Paints the chart at the widget's size.
class ChartView : public QWidget {
public:
    explicit ChartView(const CFanCurve& chart, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {900, 640}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const CFanCurve& chart_;
};

class frmCurve : public QWidget {
    Q_OBJECT
public:
    explicit frmCurve(QWidget* parent = nullptr);
    ~frmCurve() override;

    // Reads the settings of section FanC and loads speed 1 of the record,
    // which must outlive the window.
    void Startup(const CFanData& record);

    void SetSpeed(int speed);
    void SetPanels(const std::string& flags);
    const CFanCurve& Chart() const { return chart_; }
    int Speed() const { return chart_.Speed(); }

    // The commands; a path empty means: ask through askFileName.
    bool ExportPdf(std::string path = {});
    bool ExportPicture(std::string path = {});
    void PrintTo(QPrinter& printer);  // draws the page on a printer the caller set up
    void Print();                     // printer dialog, then PrintTo

    // File names for the exports (the file dialog unless replaced): filter,
    // default suffix; empty means cancelled.
    std::function<std::string(const QString& filter, const QString& suffix)> askFileName;

    QRadioButton* SpeedOption(int speed) const { return speed == 2 ? optSpeed2_ : optSpeed1_; }
    QCheckBox* PanelBox(int panel) const { return chkPanel_[panel]; }
    QCheckBox* QualityBox() const { return chkQuality_; }
    ChartView* View() const { return view_; }

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Reload();
    void OnPanelToggled();
    void SaveSettings();
    void Report(const std::string& text);

    const CFanData* record_ = nullptr;
    CFanCurve chart_;
    ChartView* view_ = nullptr;
    QRadioButton* optSpeed1_ = nullptr;
    QRadioButton* optSpeed2_ = nullptr;
    QCheckBox* chkPanel_[CFanCurve::kPanels] = {};
    QCheckBox* chkQuality_ = nullptr;
    QLabel* lblNote_ = nullptr;
    PrintSettings print_{{}, QPageLayout::Landscape, QPageSize::A4};
    bool closedReported_ = false;
};

}  // namespace aerolyx

namespace aerolyx {

// Shows the chart window for the record beside the owner, which stays
// disabled (events still run) until the chart window is closed.
void RunCurveWindow(QWidget* owner, const CFanData& record);

}  // namespace aerolyx
