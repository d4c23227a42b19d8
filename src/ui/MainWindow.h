/*
 * MainWindow: the one window of the program. It owns the work pages, the configuration,
 * the target list, the report list, the run and the desktop seam, and wires them: the pages
 * move values, the core does the work. "OK", "Config" and "About" hang at the top right,
 * the progress bar runs along the bottom.
 *
 * Busy: from a click that starts a run until the run returns, or while the target page
 * expands or wipes. Then closing (OK, the close box, Ctrl+Q) and "Config" do nothing, the
 * go button only answers a running run, and drops are refused. A run works on the job
 * values taken at its click; only "report to file" follows the page during the run.
 */
#pragma once

#include <QTabWidget>

#include <memory>
#include <string>

#include "backup/FileChooser.h"
#include "base/LineList.h"
#include "run/JobSettings.h"
#include "run/SearchRun.h"
#include "settings/ConfigPage.h"
#include "settings/Startup.h"
#include "targets/FileWiper.h"
#include "targets/TargetPage.h"
#include "ui/BaseDialog.h"
#include "ui/QtDesktop.h"

class PatternPage;
class ProgressBar;
class ReportPage;
class ReportSettingsPage;
class StartPage;
class TargetPageWidget;
class QPushButton;

class MainWindow : public BaseDialog {
    Q_OBJECT
public:
    // The program's directory decides where the configuration and the documents are.
    explicit MainWindow(std::string programDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up: welcome text, configuration file, work directories, archiver.
    void Start();
    // Whether a run, its questions and backup, an expansion or a wipe is under way.
    bool Busy() const;

    QtDesktop& DesktopSeam() { return desktop_; }
    SearchRun& Run() { return *run_; }
    TargetPage& Targets() { return targetPage_; }
    LineList& Report() { return report_; }
    CMainConfigSheet& Config() { return sheet_; }
    // The page values the next run takes.
    JobSettings& PageValues() { return pageValues_; }

    QTabWidget* pages;
    PatternPage* patternPage;
    TargetPageWidget* targetWidget;
    ReportSettingsPage* reportSettingsPage;
    StartPage* startPage;
    ReportPage* reportPage;
    ProgressBar* progress;
    QPushButton* ok;
    QPushButton* config;
    QPushButton* about;

    // The default size of the window, in logical pixels.
    static constexpr int kWidth = 780;
    static constexpr int kHeight = 560;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // "Search/Replace!": a run from the pages' values, or the answer to the shown occurrence.
    void OnGo();
    // "Config": the configuration sheet, unless busy.
    void OnConfig();
    // "About".
    void OnAbout();
    // The run's job from the pages and the configuration, as they are now.
    void TakeJob();
    // Switches to the page step pages on (wrapping).
    void StepPage(int step);

    std::string programDir_;
    QtDesktop desktop_;
    // What the pages hold; copied into runJob_ at the click that starts a run.
    JobSettings pageValues_;
    // The job the run reads.
    JobSettings runJob_;
    CMainConfigSheet sheet_;
    FileWiper wiper_;
    TargetPage targetPage_;
    LineList report_;
    FileChooser chooser_;
    std::unique_ptr<SearchRun> run_;
    // Set from the click that starts a run until StartRun returns.
    bool startingRun_ = false;
    // The About box's link colour, from the window colour.
    std::uint32_t linkColour_ = 0;
};

// The window colour as the program's resources give it (0x00BBGGRR).
inline constexpr const char* kWindowColourText = "0x9EADB4";
// The window colour parsed like the resource: hexadecimal after "0x", 0 when it does not parse.
std::uint32_t WindowColour();
