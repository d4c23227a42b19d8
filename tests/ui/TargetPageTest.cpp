/*
 * The page "Files/Dirs 2 find/replace in" and the lists' menu, keys and clipboard, driven
 * through the real window: drops, the pattern field, Expand! with its cancel, the wipe, the
 * context menu on both lists, paste and copy.
 */
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <filesystem>
#include <optional>

#include "WindowHarness.h"
#include "settings/Startup.h"
#include "ui/CAdvancedDialog.h"
#include "ui/ReportPages.h"
#include "ui/TargetPageWidget.h"

namespace {

// A URI list as a desktop delivers it: raw bytes (QMimeData::setData would reparse them as URLs).
class UriList : public QMimeData {
public:
    explicit UriList(QByteArray bytes) : bytes_(std::move(bytes)) {}
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        return type == QStringLiteral("text/uri-list") ? QVariant(bytes_) : QVariant();
    }

private:
    QByteArray bytes_;
};

QByteArray FileUrl(const std::string& path)
{
    return "file://" + QByteArray::fromStdString(path).toPercentEncoding("/");
}

class TargetPageTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->pages->setCurrentWidget(window->targetWidget);
        page = window->targetWidget;
    }

    // Drops the URI list on the page; whether the drag was accepted.
    bool Drop(const QByteArray& uris)
    {
        UriList data(uris);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        EXPECT_TRUE(!drop.isAccepted() || drop.dropAction() == Qt::CopyAction);
        return drop.isAccepted();
    }

    // A directory with files in the scratch directory; its path.
    std::string Tree(const std::string& name, const std::vector<std::string>& files)
    {
        for (const std::string& file : files) programDir.File(name + "/" + file);
        return programDir / name;
    }

    // The listed paths, sorted (a walk lists them in the directory's order).
    std::vector<std::string> SortedPaths() const
    {
        auto paths = window->Targets().targets.Paths();
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    // Releases the right button over line row of list.
    static void RightClick(LineListView* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier,
                          list->visualRect(list->model()->index(row, 0)).center());
    }

    using Rows = std::vector<std::size_t>;
    // One command chosen in a list's menu, opened over its first line: the selection (and
    // clipboard) before, the boxes it asks, and the lines, selection and clipboard after.
    struct MenuStep {
        const char* item;
        Rows selectedBefore;
        std::string clipboardBefore;  // empty: as the step before left it
        std::vector<QMessageBox::StandardButton> answers;
        std::string lastBox;          // the last box's text, empty when none
        std::vector<std::string> linesAfter;
        std::optional<Rows> selectedAfter;
        std::string clipboardAfter;   // empty: not looked at
    };
    // Plays the steps on list, which shows lines.
    void Play(LineListView* list, LineList& lines, const std::vector<MenuStep>& steps)
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        for (const MenuStep& step : steps) {
            SCOPED_TRACE(step.item);
            for (std::size_t i = 0; i < lines.Count(); ++i)
                lines.Select(i, std::count(step.selectedBefore.begin(), step.selectedBefore.end(), i) > 0);
            if (!step.clipboardBefore.empty()) clipboard->setText(QString::fromStdString(step.clipboardBefore));
            script.texts.clear();
            script.Menu(QString::fromLatin1(step.item));
            for (const auto answer : step.answers) script.Box(answer);
            RightClick(list, 0);
            EXPECT_EQ(script.Remaining(), 0u);
            EXPECT_EQ(script.texts.empty() ? std::string() : script.texts.back(), step.lastBox);
            EXPECT_EQ(lines.Lines(), step.linesAfter);
            if (step.selectedAfter) {
                EXPECT_EQ(lines.SelectedIndices(), *step.selectedAfter);
            }
            if (!step.clipboardAfter.empty()) {
                EXPECT_EQ(clipboard->text().toStdString(), step.clipboardAfter);
            }
        }
    }

    TargetPageWidget* page = nullptr;
};

TEST_F(TargetPageTest, ControlsStartAsANewPageHasThem)
{
    EXPECT_EQ(page->depth->currentText(), "-1 infinite depth");
    EXPECT_EQ(page->wipeRounds->currentText(), "0 (simple delete)");
    QStringList items;
    for (int i = 0; i < page->pattern->count(); ++i) items << page->pattern->itemText(i);
    EXPECT_TRUE(std::is_sorted(items.begin(), items.end()));
    EXPECT_EQ(page->pattern->currentText(), "");
    EXPECT_TRUE(page->wantDirs->isChecked() && page->wantFiles->isChecked() && page->ignoreCase->isChecked());
    EXPECT_FALSE(page->effectivePattern->isVisible());
    EXPECT_EQ(page->all->text() + page->dirs->text() + page->files->text(), "000");
    // Shown, the page puts the window on top.
    EXPECT_TRUE(page->alwaysOnTop->isChecked());
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    window->pages->setCurrentWidget(window->reportPage);
    EXPECT_FALSE(page->alwaysOnTop->isChecked());
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(TargetPageTest, PatternComboAndColourEditDrawAndActInTheirOwnWay)
{
    OwnerDrawnCombo* combo = page->pattern;
    EXPECT_EQ(combo->Tip().Text(), QString::fromLocal8Bit(PatternTooltipText()).replace("\r\n", "\n"));
    const QImage control = combo->grab().toImage();
    EXPECT_EQ(control.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(control.pixelColor(control.width() - 1, control.height() - 1), QColor(Qt::black));
    const QRect edit = combo->lineEdit()->geometry();
    EXPECT_EQ(control.pixelColor(edit.right() - 2, edit.center().y()), QColor(Qt::black));

    // A selected item: olive, framed white top and left, black bottom and right, white text.
    QStyleOptionViewItem option;
    option.initFrom(combo->view());
    option.state |= QStyle::State_Selected;
    const QSize size = combo->itemDelegate()->sizeHint(option, combo->model()->index(0, 0));
    EXPECT_EQ(size.height(), OwnerDrawnCombo::ItemHeight(option.fontMetrics.height()));
    QImage item(200, size.height(), QImage::Format_RGB32);
    option.rect = item.rect();
    QPainter painter(&item);
    combo->itemDelegate()->paint(&painter, option, combo->model()->index(0, 0));
    painter.end();
    EXPECT_EQ(item.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(item.pixelColor(199, size.height() - 1), QColor(Qt::black));
    EXPECT_EQ(item.pixelColor(190, size.height() / 2), QColor(0x20, 0x40, 0x40));
    // The text is white, antialiased: some pixel inside the frame comes near white.
    int lightest = 0;
    for (int x = 2; x < 60; ++x)
        for (int y = 2; y < size.height() - 2; ++y) lightest = std::max(lightest, item.pixelColor(x, y).blue());
    EXPECT_GT(lightest, 0xC0);

    // The drop-down opens at its top with every item whole, as tall as the delegate says.
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    for (const int row : {0, combo->count() - 1}) {
        const QRect item = view->visualRect(combo->model()->index(row, 0));
        EXPECT_TRUE(view->viewport()->rect().contains(item)) << row;
        EXPECT_EQ(item.height(), size.height());
    }
    combo->hidePopup();

    ColourEdit field;
    field.SetText("abc");
    field.AppendText("d");
    EXPECT_EQ(field.Tip().Text(), "abcd");
    field.SetInteractive(false);
    field.show();
    QTest::mouseClick(&field, Qt::LeftButton);
    EXPECT_FALSE(field.hasFocus());
    EXPECT_EQ(field.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(field.Tip().Text().isEmpty());
    EXPECT_EQ(field.Text(), "abcd");
}

TEST_F(TargetPageTest, DropsTakeExistingNewPathsAsACopyAndAreRefusedWhileBusy)
{
    const std::string listed = Target("listed.txt", "x");
    const std::string spaced = programDir.File("with space.txt");
    const std::string dir = Tree("d", {"in.txt"});
    // Files only: no hint.
    EXPECT_TRUE(Drop(FileUrl(spaced) + "\r\n" + FileUrl(programDir / "missing.txt") + "\r\n" + FileUrl(listed) +
                     "\r\nhttps://example.org/x.txt\r\n"));
    EXPECT_EQ(window->Targets().targets.Paths(), std::vector<std::string>({listed, spaced}));
    EXPECT_EQ(page->files->text(), "2");

    window->Targets().wipeInProgress = true;
    EXPECT_FALSE(Drop(FileUrl(dir)));
    window->Targets().wipeInProgress = false;
    EXPECT_EQ(page->all->text(), "2");

    script.Box(QMessageBox::Ok);
    EXPECT_TRUE(Drop("# a comment\r\n" + FileUrl(dir) + "\r\n"));
    EXPECT_EQ(script.texts, std::vector<std::string>({"You've some directories in the list.\nTo process stuffs "
                                                      "in these items,\nyou have to push [Expand!] button"}));
    EXPECT_EQ(page->dirs->text(), "1");
    EXPECT_EQ(page->all->text(), "3");
}

TEST_F(TargetPageTest, ExactMatchRewritesOnlyTheEffectivePattern)
{
    QLineEdit* edit = page->pattern->lineEdit();
    QTest::keyClicks(edit, "(a)|(b)");
    page->exactMatch->click();
    EXPECT_EQ(page->effectivePattern->text(), "^(a)|(b)$");
    EXPECT_EQ(page->pattern->currentText(), "(a)|(b)");
    page->exactMatch->click();
    EXPECT_EQ(page->effectivePattern->text(), "a)|(b");
    EXPECT_FALSE(page->exactMatch->isChecked());

    edit->clear();
    QTest::keyClicks(edit, "^x$");
    EXPECT_TRUE(page->exactMatch->isChecked());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(page->exactMatch->isChecked());
    EXPECT_EQ(window->Targets().effectivePattern, "^x");

    page->pattern->setCurrentIndex(2);
    emit page->pattern->activated(2);
    EXPECT_EQ(page->effectivePattern->text(), page->pattern->itemText(2));
}

TEST_F(TargetPageTest, EnterExpandsWithDepthKindsAndPatternAndCancelStopsMidway)
{
    const std::string dir = Tree("d", {"a.txt", "b.cpp", "sub/c.txt", "sub/deeper/e.txt"});
    window->Targets().targets.AddPaths({dir});
    const int presets = page->pattern->count();
    page->depth->setCurrentText("2");
    page->wantDirs->click();
    QTest::keyClicks(page->pattern->lineEdit(), "\\.TXT$");
    QTest::keyClick(page->pattern->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(page->pattern->count(), presets);
    EXPECT_EQ(SortedPaths(), std::vector<std::string>({dir + "/a.txt", dir + "/sub/c.txt"}));
    EXPECT_EQ(page->files->text(), "2");

    std::vector<std::string> many;
    for (int i = 0; i < 3000; ++i) many.push_back("m/f" + std::to_string(i) + ".txt");
    const std::string big = Tree("big", many);
    window->Targets().targets.Empty();
    window->Targets().targets.AddPaths({big});
    page->depth->setCurrentIndex(0);
    bool sawCancel = false;
    script.Then([&] {
        if (page->expand->text() != "cancel") return false;
        sawCancel = !page->empty->isEnabled();
        page->expand->click();
        return true;
    });
    page->expand->click();
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(page->expand->text(), "Expand!");
    EXPECT_TRUE(page->empty->isEnabled());
    EXPECT_LT(window->Targets().targets.lines.Count(), many.size());
}

TEST_F(TargetPageTest, AdvancedSizeRowReachesTheWalkAndIsKeptBetweenOpenings)
{
    const std::string dir = programDir / "sized";
    for (const std::size_t size : {0u, 1u, 1000u, 1001u}) programDir.File("sized/" + std::to_string(size), std::string(size, 'x'));
    window->Targets().targets.AddPaths({dir});
    script.Modal<CAdvancedDialog>([](CAdvancedDialog* dialog) {
        EXPECT_FALSE(dialog->minSize->isEnabled() || dialog->timeRows[1].maxTime->isEnabled());
        dialog->sizeOn->click();
        EXPECT_TRUE(dialog->minSize->isEnabled() && dialog->maxUnit->isEnabled());
        dialog->minSize->selectAll();
        QTest::keyClicks(dialog->minSize, "-x1");
        dialog->maxSize->setValue(1);
        dialog->maxUnit->setCurrentText(QStringLiteral("kbyte"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    page->advanced->click();
    EXPECT_EQ(window->Targets().advanced.minSizeNumber, 1);
    EXPECT_NE(window->Targets().advanced.todayMidnight, 0);
    page->wantDirs->click();
    page->expand->click();
    EXPECT_EQ(SortedPaths(), std::vector<std::string>({dir + "/1", dir + "/1000"}));

    script.Modal<CAdvancedDialog>([](CAdvancedDialog* dialog) {
        EXPECT_TRUE(dialog->sizeOn->isChecked() && dialog->minSize->isEnabled());
        EXPECT_EQ(dialog->maxUnit->currentText(), "kbyte");
        EXPECT_EQ(dialog->timeRows[0].minTime->displayFormat(), "HH:mm:ss");
        dialog->ok->click();
    });
    page->advanced->click();
}

TEST_F(TargetPageTest, WipeAsksTwiceThenRemovesFilesAndLines)
{
    const std::string a = Target("a.txt", "secret");
    const std::string b = Target("b.txt", "secret");
    page->wipeRounds->setCurrentIndex(1);
    script.Box(QMessageBox::Yes).Box(QMessageBox::Yes).Box(QMessageBox::Ok);
    page->wipe->click();
    EXPECT_EQ(script.texts, std::vector<std::string>({"Sure ?", "REALLY sure ???", "2 of 2 wiped."}));
    EXPECT_FALSE(std::filesystem::exists(a) || std::filesystem::exists(b));
    EXPECT_EQ(window->Targets().targets.lines.Count(), 0u);
    EXPECT_EQ(page->wipe->text(), "Wipe!");
    script.Box(QMessageBox::Ok);
    page->wipe->click();
    EXPECT_EQ(script.texts.back(), "Nothing to wipe!");
}

TEST_F(TargetPageTest, MenuOffersTheCommandsARightClickKeepsTheSelectionAndBusyRefusesChanges)
{
    for (const char* name : {"a", "b", "c", "d"}) Target(name, "x");
    LineList& lines = window->Targets().targets.lines;
    for (std::size_t i : {0u, 1u, 3u}) lines.Select(i, true);
    QStringList texts;
    script.Menu({}, [&](QMenu* menu) {
        for (QAction* action : menu->actions()) texts << (action->isSeparator() ? "-" : action->text());
    });
    RightClick(page->list, 2);
    QStringList expected;
    for (const ListMenuItem& item : kListMenu) expected << (item.command ? item.text : "-");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(lines.SelectedIndices(), std::vector<std::size_t>({0, 1, 3}));

    // Busy, the commands that change the list are off in the menu (opened by the Menu key
    // too) and their keys do nothing; the others still run.
    window->Targets().wipeInProgress = true;
    QStringList disabled;
    script.Menu("select all", [&](QMenu* menu) {
        for (QAction* action : menu->actions())
            if (!action->isEnabled()) disabled << action->text();
    });
    page->list->setFocus();
    QTest::keyClick(page->list, Qt::Key_Menu);
    // A refused key asks nothing; a box it opened would fail the test here and be closed.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "asked: " << box->text().toStdString();
            box->reject();
        }
    });
    guard.start(10);
    QTest::keyClick(page->list, Qt::Key_Delete);
    QTest::keyClick(page->list, Qt::Key_V, Qt::ControlModifier);
    window->Targets().wipeInProgress = false;
    EXPECT_EQ(disabled, QStringList({"delete selected items", "leave selected items",
                                     "leave items NOT on the clipboard", "paste items"}));
    EXPECT_EQ(lines.Count(), 4u);
    EXPECT_EQ(lines.SelectedIndices().size(), 4u);
}

TEST_F(TargetPageTest, EachMenuCommandRunsOnTheTargetList)
{
    UrlRecorder recorder;
    const std::string a = Target("a", "x"), b = Target("b", "x"), c = Target("c", "x"), d = Target("d", "x");
    constexpr auto kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;
    Play(page->list, window->Targets().targets.lines, {
        {"select all", {}, {}, {}, {}, {a, b, c, d}, Rows{0, 1, 2, 3}, {}},
        {"deselect all", {1, 2}, {}, {}, {}, {a, b, c, d}, Rows{}, {}},
        {"invert selection", {0}, {}, {}, {}, {a, b, c, d}, Rows{1, 2, 3}, {}},
        {"copy selected items", {1, 3}, {}, {kYes, kOk}, "2 items has copied to the clipboard", {a, b, c, d}, {},
         b + "\r\n" + d},
        {"copy all items", {}, {}, {kYes, kOk}, "4 items has copied to the clipboard", {a, b, c, d}, {},
         a + "\r\n" + b + "\r\n" + c + "\r\n" + d},
        {"explore selected one", {0, 1}, {}, {kOk}, "Only one file/dir can be explored!", {a, b, c, d}, {}, {}},
        {"explore selected one", {2}, {}, {}, {}, {a, b, c, d}, {}, {}},
        {"delete selected items", {1, 2}, {}, {kYes}, "Delete the 2 items from the list?", {a, d}, {}, {}},
        {"leave selected items", {0}, {}, {kYes}, "Delete the 1 items from the list?", {a}, {}, {}},
        {"paste items", {}, b + "\t" + c + "\n" + (programDir / "missing"), {kYes},
         "Append 3 clipboard items to the listbox?", {a, b, c}, {}, {}},
        {"leave items NOT on the clipboard", {}, a + "\r\n" + c, {kYes, kOk}, "2 items removed,\n1 remained.", {b},
         {}, {}},
    });
    EXPECT_EQ(recorder.urls, std::vector<QUrl>({QUrl::fromLocalFile(QString::fromStdString(c))}));
    EXPECT_EQ(page->all->text(), "1");
}

TEST_F(TargetPageTest, EachMenuCommandRunsOnTheReportList)
{
    // The report holds no paths: "leave items NOT on the clipboard" and "explore selected one"
    // do nothing there, and a paste asks no count.
    window->pages->setCurrentWidget(window->reportPage);
    const std::vector<std::string> all = WelcomeLines();
    const std::size_t n = all.size();
    const std::vector<std::string> tail(all.begin() + 1, all.end());
    std::vector<std::string> pasted = tail;
    pasted.insert(pasted.end(), 2, programDir.Path());
    const auto rows = [](std::size_t first, std::size_t end) {
        Rows range(end - first);
        std::iota(range.begin(), range.end(), first);
        return range;
    };
    const std::string copied = " items has copied on the clipboard";
    constexpr auto kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;
    Play(window->reportPage->list, window->Report(), {
        {"select all", {}, {}, {}, {}, all, rows(0, n), {}},
        {"deselect all", {1, 2}, {}, {}, {}, all, Rows{}, {}},
        {"invert selection", {0}, {}, {}, {}, all, rows(1, n), {}},
        {"copy selected items", rows(1, n), {}, {kYes, kOk}, std::to_string(n - 1) + copied, all, {}, {}},
        {"copy all items", {}, {}, {kYes, kOk}, std::to_string(n) + copied, all, {}, {}},
        {"leave selected items", rows(1, n), {}, {kYes}, "Delete the 1 items from the list?", tail, rows(0, n - 1), {}},
        {"paste items", {}, programDir.Path() + "\t" + programDir.Path(), {kYes}, "Append clipboard items to the listbox?",
         pasted, {}, {}},
        {"leave items NOT on the clipboard", {}, {}, {}, {}, pasted, {}, {}},
        {"explore selected one", {0, 1}, {}, {}, {}, pasted, {}, {}},
        {"delete selected items", rows(0, n - 1), {}, {kYes}, "Delete the " + std::to_string(n - 1) + " items from the list?",
         {programDir.Path(), programDir.Path()}, {}, {}},
    });
}

TEST_F(TargetPageTest, KeysCopyAndPasteThroughTheClipboardButTheFieldKeepsItsOwn)
{
    const std::string a = Target("a.txt", "x");
    const std::string dir = Tree("d", {"in.txt"});
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromStdString(a + "\t\t" + dir + "\r\n\r\n" + a.substr(programDir.Path().size() + 1) +
                                              "\n" + programDir / "missing"));
    script.Box(QMessageBox::Yes).Box(QMessageBox::Ok);
    page->list->setFocus();
    QTest::keyClick(page->list, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(script.texts.front(), "Append 4 clipboard items to the listbox?");
    EXPECT_EQ(window->Targets().targets.Paths(), std::vector<std::string>({a, dir}));

    // Ctrl+A selects without asking; Ctrl+C copies both with CR LF between.
    script.texts.clear();
    script.Box(QMessageBox::Yes).Box(QMessageBox::Ok);
    QTest::keyClick(page->list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(page->list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(script.texts, std::vector<std::string>({"Copy 2 items to the clipboard?",
                                                      "2 items has copied to the clipboard"}));
    EXPECT_EQ(clipboard->text().toStdString(), a + "\r\n" + dir);

    QLineEdit* edit = page->pattern->lineEdit();
    QTest::keyClicks(edit, "\\.txt$");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "\\.txt$");

    // Files copied in a file manager come as a URI list only.
    clipboard->setMimeData(new UriList(FileUrl(a) + "\r\n" + FileUrl(programDir / "b c") + "\r\n"));
    EXPECT_EQ(window->DesktopSeam().GetClipboardText(), a + "\r\n" + programDir / "b c");
    clipboard->setMimeData(new UriList("https://example.org/\r\n"));
    script.Box(QMessageBox::Ok);
    QTest::keyClick(page->list, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(script.texts.back(), "Nothing to paste.");
}

}  // namespace
