/*
 * The main window as a user meets it: start-up boxes, captions and places, the pattern
 * page's own logic, keys, and what is refused while a run is busy.
 */
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

#include "WindowHarness.h"
#include "settings/Startup.h"
#include "ui/ConfigSheetDialog.h"
#include "ui/ProgressBar.h"
#include "ui/ReportPages.h"
#include "ui/TargetPageWidget.h"
#include "ui/WindowPlacement.h"

namespace {

// The captions of the check boxes and buttons on w, in creation order.
QStringList Captions(QWidget* w)
{
    QStringList captions;
    for (auto* button : w->findChildren<QAbstractButton*>()) captions << button->text();
    return captions;
}

TEST(StartupBoxes, FirstStartTellsWhatItCreatedAndASecondStartIsQuiet)
{
    TempDir dir;
    for (const std::size_t expected : {3u, 0u}) {
        Script script;
        script.Boxes(int(expected), QMessageBox::Ok);
        MainWindow window(dir.Path());
        window.Start();
        ASSERT_EQ(script.texts.size(), expected);
        if (expected == 0) continue;
        EXPECT_EQ(script.texts[0], "A new config file \n\"" + dir / "qmend.par" + "\"\n has succesfully created.");
        EXPECT_EQ(script.texts[1], "A new temp dir \n\"" + dir / "qmend_temp" + "\"\n has succesfully created.");
        EXPECT_EQ(script.texts[2], "A new archive dir \n\"" + dir / "qmend_arch" + "\"\n has succesfully created.");
    }
}

TEST(WindowPlacement, CentresOnTheFreeAreaAndKeepsTheTopLeftOnASmallScreen)
{
    EXPECT_EQ(CentredIn({0, 0, 1280, 1024}, {780, 560}, {737, 455}), QRect(250, 232, 780, 560));
    // 1280 x 1024 at scale factor 2, a panel on top: as small as allowed, hanging out at the right.
    EXPECT_EQ(CentredIn({0, 30, 640, 482}, {780, 560}, {737, 455}), QRect(0, 30, 737, 482));
}

TEST_F(WindowTest, CaptionsPagesAndButtonsAreInPlace)
{
    EXPECT_EQ(window->windowTitle(), "Quillmend v2.43");
    QStringList titles;
    for (int i = 0; i < window->pages->count(); ++i) titles << window->pages->tabText(i);
    EXPECT_EQ(titles, QStringList({"What 2 Find/Replace?", "Files/Dirs 2 find/replace in", "Report settings",
                                   "Start!", "Report"}));
    EXPECT_EQ(window->pages->currentWidget(), window->reportPage);
    EXPECT_EQ(window->Report().Lines(), WelcomeLines());

    // OK, Config, About stacked at the top right, none clipped, none overlapping the pages.
    int y = 0;
    for (QPushButton* button : {window->ok, window->config, window->about}) {
        EXPECT_EQ(button->geometry().topRight(), QPoint(window->width() - 1, y));
        EXPECT_GE(button->width(), std::max(40, button->sizeHint().width()));
        EXPECT_GE(button->height(), 20);
        EXPECT_LT(window->pages->geometry().right(), button->x());
        y += button->height();
    }
    EXPECT_GT(window->progress->y(), window->pages->geometry().bottom());

    EXPECT_EQ(Captions(window->patternPage),
              QStringList({"search only!", "\\i  Ignore case", "\\m  Multiline: ^ and $ means also line begin and line end",
                           "\\s  Point(.) includes \\n", "\\x  Extended: whitespaces are ignored and #comment is possible",
                           "whole word in content", "in file content", "in file names", "in dir names", "Test regexp!"}));
    EXPECT_EQ(window->patternPage->findChild<QGroupBox*>()->title(), "     Where 2 Find/Replace?     ");
    EXPECT_EQ(Captions(window->startPage), QStringList({"Search/Replace!", "Skip this word", "Skip this file",
                                                        "Process all !", "Cancel! (skip all)", "restore!",
                                                        "undo last run"}));
    EXPECT_EQ(Captions(window->reportSettingsPage), QStringList({"report to file", "gather results in report"}));
    // Every field can be found by its name (buttons by their captions, checked above).
    for (int i = 0; i < window->pages->count(); ++i) {
        for (QWidget* control : window->pages->widget(i)->findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractItemView*>(control) ||
                qobject_cast<QPlainTextEdit*>(control)) {
                EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
            }
        }
    }
}

TEST_F(WindowTest, ReportListMirrorsTheSelectionAndScrollsSideways)
{
    window->pages->setCurrentWidget(window->reportPage);
    LineListView& list = *window->reportPage->list;
    LineList& lines = window->Report();
    lines.Select(1, true);
    lines.Select(2, true);
    const auto selectedRows = [&] {
        std::vector<int> rows;
        for (const QModelIndex& index : list.selectionModel()->selectedRows()) rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    EXPECT_EQ(selectedRows(), std::vector<int>({1, 2}));
    const QPoint row4 = list.visualRect(list.model()->index(4, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, row4);
    EXPECT_EQ(lines.SelectedIndices(), std::vector<std::size_t>({4}));
    script.Menu({});
    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, list.visualRect(list.model()->index(6, 0)).center());
    EXPECT_EQ(lines.SelectedIndices(), std::vector<std::size_t>({4}));
    EXPECT_EQ(selectedRows(), std::vector<int>({4}));
    lines.Remove(0);
    EXPECT_EQ(selectedRows(), std::vector<int>({3}));
    EXPECT_GE(list.horizontalScrollBar()->maximum() + list.viewport()->width(), ReportPage::kMinimumExtent);
}

TEST_F(WindowTest, PatternPageTestsAndWrapsThePattern)
{
    // The messages themselves are the run's; the button shows the one for the pattern typed.
    PatternPage& page = *window->patternPage;
    script.Box(QMessageBox::Ok).Box(QMessageBox::Ok);
    for (const char* pattern : {"(a)(b)", "(a"}) {
        Job(pattern);
        page.findChildren<QPushButton*>().last()->click();
    }
    EXPECT_EQ(script.texts, std::vector<std::string>({"Regexp seems to be OK, number of groups: 2", "Regexp error!"}));
    EXPECT_FALSE(page.replacement->isEnabled());
    page.searchOnly->click();
    EXPECT_TRUE(page.replacement->isEnabled());

    Job("cat|dog");
    page.wholeWord->click();
    EXPECT_EQ(page.pattern->toPlainText(), "\\b(?:cat|dog)\\b");
    EXPECT_EQ(window->PageValues().pattern, "\\b(?:cat|dog)\\b");
    page.wholeWord->click();
    EXPECT_EQ(page.pattern->toPlainText(), "cat|dog");
    page.extended->click();
    Job("cat # pets");
    page.wholeWord->click();
    EXPECT_EQ(page.pattern->toPlainText(), "\\b(?:cat # pets\n)\\b");
    Job("\\Babc\\B");
    page.wholeWord->click();
    EXPECT_EQ(page.pattern->toPlainText(), "abc");
}

TEST_F(WindowTest, EnterAndEscapeBeepOnWorkPagesAndKeysSwitchPages)
{
    window->pages->setCurrentWidget(window->patternPage);
    QPlainTextEdit* pattern = window->patternPage->pattern;
    pattern->setFocus();
    const int beeps = window->DesktopSeam().BeepCount();
    QTest::keyClick(pattern, Qt::Key_Return);
    QTest::keyClick(pattern, Qt::Key_Escape);
    EXPECT_EQ(window->DesktopSeam().BeepCount(), beeps + 2);
    EXPECT_EQ(pattern->toPlainText(), "qmend");
    QTest::keyClick(pattern, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(pattern->toPlainText().count('\n'), 1);
    EXPECT_TRUE(window->isVisible());

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(pattern, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window->pages->currentWidget(), window->targetWidget);
    QTest::keyClick(window->targetWidget, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(window->patternPage, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(window->pages->currentWidget(), window->reportPage);
}

TEST_F(WindowTest, ClosingAndConfigAreRefusedWhileARunWaits)
{
    const std::string path = Target("a.txt", "qmend qmend");
    bool checked = false;
    script.Box(QMessageBox::Yes)
        .Then(Answer(window->startPage->go, [&] {
            window->ok->click();
            EXPECT_FALSE(window->close());
            QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
            window->config->click();
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
            // Un-ticking "search only!" now changes nothing of the running job.
            window->patternPage->searchOnly->click();
            checked = true;
        }))
        .Then(Answer(window->startPage->cancel));
    window->startPage->go->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(ReadFile(path), "qmend qmend");
    EXPECT_FALSE(window->Busy());
    EXPECT_TRUE(window->close());
}

}  // namespace
