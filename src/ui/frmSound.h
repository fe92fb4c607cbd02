#pragma once
// The sound sheet window: level kind and view options, the table and the
// chart of the current fan's octave-band data, print, PDF export and the
// printer settings. Its content comes from SoundSheet.
#include <QWidget>
#include <functional>
#include <string>

#include "output/SoundChart.h"
#include "output/SoundSheet.h"

class QChartView;
class QGroupBox;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace aerolyx {

class CFanData;

class frmSound : public QWidget {
    Q_OBJECT
public:
    explicit frmSound(QWidget* parent = nullptr);
    ~frmSound() override;

    // Keeps the record (it must outlive the window) and restores the options
    // and printer settings from SOUND in the per-user settings.
    void Startup(const CFanData& record);
    // Rebuilds table and chart from the options shown.
    void Refresh();

    const SoundSheet& Sheet() const { return sheet_; }
    QTableWidget* Table() const { return grid_; }
    QChartView* ChartView() const { return chart_; }
    QRadioButton* Option(int index) const { return opt_[index]; }
    const ::aerolyx::PrintSettings& PrintSettings() const { return print_; }

    // Commands.
    bool Export(const std::string& path = {});  // asks for the file when none is given
    void PrintSheet();
    void PageSettings();

    // The export file name; empty means cancelled. Replaceable for tests.
    std::function<std::string()> askFileName;

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void OnOption();
    void ApplyTo(QPrinter& printer) const;
    void TakeFrom(const QPrinter& printer);

    SoundSheet sheet_;
    ::aerolyx::PrintSettings print_;
    QRadioButton* opt_[4] = {};
    QTableWidget* grid_ = nullptr;
    QChartView* chart_ = nullptr;
    bool filling_ = false;
};

// Shows the sheet for the record and waits, with the owner disabled, until
// the sheet is closed.
void RunSoundSheet(QWidget* owner, const CFanData& record);

}  // namespace aerolyx
