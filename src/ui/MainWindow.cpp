#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <cstdlib>

#include "run/UndoRun.h"
#include "ui/AboutDialog.h"
#include "ui/AdjustColour.h"
#include "ui/AppPicture.h"
#include "ui/ConfigSheetDialog.h"
#include "ui/PatternPage.h"
#include "ui/ProgressBar.h"
#include "ui/ReportPages.h"
#include "ui/StartPage.h"
#include "ui/TargetPageWidget.h"

std::uint32_t WindowColour() { return static_cast<std::uint32_t>(std::strtoul(kWindowColourText, nullptr, 0)); }

MainWindow::MainWindow(std::string programDir, QWidget* parent)
    : BaseDialog(parent), programDir_(std::move(programDir)), desktop_(this), wiper_(desktop_),
      targetPage_(desktop_, wiper_)
{
    setWindowTitle(QStringLiteral("Quillmend v2.43"));
    setWindowIcon(AppIcon());
    linkColour_ = AdjustColour(WindowColour(), 0.0, 0.5, 1.0);

    pages = new QTabWidget(this);
    patternPage = new PatternPage(desktop_, pageValues_, pages);
    targetWidget = new TargetPageWidget(desktop_, targetPage_, [this] { return Busy(); }, pages);
    reportSettingsPage = new ReportSettingsPage(desktop_, pages);
    startPage = new StartPage(desktop_, pages);
    reportPage = new ReportPage(desktop_, report_, pages);
    pages->addTab(patternPage, QStringLiteral("What 2 Find/Replace?"));
    pages->addTab(targetWidget, QStringLiteral("Files/Dirs 2 find/replace in"));
    pages->addTab(reportSettingsPage, QStringLiteral("Report settings"));
    pages->addTab(startPage, QStringLiteral("Start!"));
    pages->addTab(reportPage, QStringLiteral("Report"));
    pages->setCurrentWidget(reportPage);
    progress = new ProgressBar(this);
    progress->setAccessibleName(QStringLiteral("progress"));
    wiper_.progress = progress;

    ok = new QPushButton(QStringLiteral("OK"), this);
    config = new QPushButton(QStringLiteral("Config"), this);
    about = new QPushButton(QStringLiteral("About"), this);
    for (QPushButton* button : {ok, config, about}) {
        button->setAutoDefault(false);
        AnchorTopRight(button);
    }
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(pages, 1);
    top->addSpacing(AnchorColumnWidth());
    layout->addLayout(top, 1);
    layout->addWidget(progress);
    resize(kWidth, kHeight);

    run_ = std::make_unique<SearchRun>(
        runJob_, SearchRun::Seams{desktop_, *progress, *startPage, report_, targetPage_.targets, chooser_});
    connect(startPage->go, &QPushButton::clicked, this, &MainWindow::OnGo);
    connect(startPage->undoLastRun, &QPushButton::clicked, this, &MainWindow::OnUndoLastRun);
    connect(startPage->skipWord, &QPushButton::clicked, this, [this] { run_->OnSkipWord(); });
    connect(startPage->skipFile, &QPushButton::clicked, this, [this] { run_->OnSkipFile(); });
    connect(startPage->cancel, &QPushButton::clicked, this, [this] { run_->OnCancel(); });
    connect(startPage->processAll, &QCheckBox::clicked, this, [this](bool ticked) { run_->OnProcessAll(ticked); });
    connect(reportSettingsPage->reportToFile, &QCheckBox::clicked, this, [this](bool ticked) {
        pageValues_.reportToFile = ticked;
        runJob_.reportToFile = ticked;
    });
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    connect(config, &QPushButton::clicked, this, &MainWindow::OnConfig);
    connect(about, &QPushButton::clicked, this, &MainWindow::OnAbout);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this, this, [this] { StepPage(1); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this, this, [this] { StepPage(1); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this, this, [this] { StepPage(-1); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this, this, [this] { StepPage(-1); });
}

// The pages show the lists this window owns as members, so they go before the members do.
MainWindow::~MainWindow() { delete pages; }

void MainWindow::Start()
{
    const StartupEnvironment environment = CurrentEnvironment(programDir_);
    const StartupState state = RunStartup(desktop_, sheet_, report_, environment);
    run_->SetArchiverPath(state.archiverPath);
    undoDirectory_ = UndoDirectory(WorkBaseDirectory(environment));
    RefreshUndo();
}

bool MainWindow::Busy() const { return startingRun_ || run_->State().running || targetPage_.Busy(); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (Busy()) return event->ignore();
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) return event->accept();
    BaseDialog::keyPressEvent(event);
}

void MainWindow::OnGo()
{
    if (run_->State().running) return run_->OnGoButton();
    if (Busy()) return;
    TakeJob();
    // The window always keeps an undo record of a replacing run.
    journal_.reset();
    if (!undoDirectory_.empty())
        journal_ = std::make_unique<UndoJournal>(undoDirectory_, UndoRunInfo{runJob_.pattern, runJob_.replacement,
                                                                             RunFlagString(runJob_)});
    run_->SetUndoJournal(journal_.get());
    startingRun_ = true;
    startPage->undoLastRun->setEnabled(false);
    run_->OnGoButton();
    startingRun_ = false;
    RefreshUndo();
}

void MainWindow::OnUndoLastRun()
{
    if (Busy() || undoDirectory_.empty()) return;
    UndoLastRun(desktop_, undoDirectory_, report_);
    pages->setCurrentWidget(reportPage);
    RefreshUndo();
}

void MainWindow::RefreshUndo()
{
    startPage->undoLastRun->setEnabled(!undoDirectory_.empty() && !Busy() && HasUndoableRun(undoDirectory_));
}

void MainWindow::TakeJob()
{
    const CMainConfigPage1& settings = sheet_.page;
    runJob_ = pageValues_;
    runJob_.bufferSize = settings.bufferSize;
    runJob_.overlap = settings.overlap;
    runJob_.tempDir = settings.tempDir.GetText();
    runJob_.archiveDir = settings.archiveDir.GetText();
    runJob_.reportFilePath = settings.reportFilePath.GetText();
}

void MainWindow::OnConfig()
{
    if (Busy()) return;
    ConfigSheetDialog sheet(sheet_, desktop_, chooser_, *progress, targetPage_.targets.Paths(), this);
    sheet.Run();
}

void MainWindow::OnAbout()
{
    AboutDialog dialog(desktop_, linkColour_, DocDirectory(programDir_), this);
    dialog.exec();
}

void MainWindow::StepPage(int step)
{
    const int count = pages->count();
    pages->setCurrentIndex((pages->currentIndex() + step + count) % count);
}
