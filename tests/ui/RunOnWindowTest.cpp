/*
 * Runs started and answered on the real window: occurrence by occurrence, "Process all !",
 * Cancel, the occurrence box's selection in CR LF and UTF-8 text, and a backup picked in the
 * archive dialog.
 */
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

#include "WindowHarness.h"

namespace {

// The questions before a replacing run without backup, answered Yes, No, Yes.
void AnswerReplaceQuestions(Script& script)
{
    script.Box(QMessageBox::Yes).Box(QMessageBox::No).Box(QMessageBox::Yes);
}

TEST_F(WindowTest, ReplaceRunIsAnsweredOccurrenceByOccurrence)
{
    const std::string a = Target("a.txt", "w1 w2 w3\n");
    const std::string b = Target("b.txt", "w4 w5\n");
    Job("w(\\d)", "<$1>");
    AnswerReplaceQuestions(script);
    StartPage& start = *window->startPage;
    script.Then(Answer(start.go)).Then(Answer(start.skipWord)).Then(Answer(start.go));
    // "Skip this file" drops what was confirmed in that file.
    script.Then(Answer(start.go, [&] { EXPECT_EQ(start.currentTarget->text().toStdString(), b); }));
    script.Then(Answer(start.skipFile));
    start.go->click();
    EXPECT_EQ(ReadFile(a), "<1> w2 <3>\n");
    EXPECT_EQ(ReadFile(b), "w4 w5\n");
    EXPECT_EQ(start.totalFound->text(), "5");
    EXPECT_EQ(window->Report().Line(window->Report().Count() - 1), "Done.");
}

TEST_F(WindowTest, ProcessAllTakesTheRestAndCancelKeepsTheFile)
{
    const std::string a = Target("a.txt", "x x x\n");
    Job("x", "y");
    AnswerReplaceQuestions(script);
    script.Then(Answer(window->startPage->skipWord)).Then(Answer(window->startPage->processAll));
    window->startPage->go->click();
    EXPECT_EQ(ReadFile(a), "x y y\n");
    EXPECT_FALSE(window->startPage->processAll->isChecked());

    ASSERT_TRUE(WriteFile(a, "x x\n"));
    AnswerReplaceQuestions(script);
    script.Then(Answer(window->startPage->go)).Then(Answer(window->startPage->cancel));
    window->startPage->go->click();
    EXPECT_EQ(ReadFile(a), "x x\n");
}

TEST_F(WindowTest, UndoLastRunAsksAndTakesTheRunBack)
{
    StartPage& start = *window->startPage;
    const std::string a = Target("a.txt", "x x\n");
    EXPECT_FALSE(start.undoLastRun->isEnabled());
    Job("x", "y");
    AnswerReplaceQuestions(script);
    script.Then(Answer(start.processAll));
    start.go->click();
    ASSERT_EQ(ReadFile(a), "y y\n");
    ASSERT_TRUE(start.undoLastRun->isEnabled());

    script.Box(QMessageBox::Yes);
    start.undoLastRun->click();
    EXPECT_EQ(ReadFile(a), "x x\n");
    EXPECT_EQ(script.texts.back().rfind("Undo 1 changes of ", 0), 0u);
    EXPECT_EQ(window->Report().Line(window->Report().Count() - 1).rfind("undid 1 changes of ", 0), 0u);
    EXPECT_FALSE(start.undoLastRun->isEnabled());
}

TEST_F(WindowTest, CancelStopsARunThatAsksNothingMore)
{
    constexpr int kFiles = 3000;
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.push_back(programDir / std::to_string(i));
        ASSERT_TRUE(WriteFile(paths.back(), "qmend"));
    }
    window->Targets().targets.AddPaths(paths);
    script.Box(QMessageBox::Yes).Then(Answer(window->startPage->processAll)).Then([this] {
        window->startPage->cancel->click();
        return true;
    });
    window->startPage->go->click();
    EXPECT_LT(window->startPage->totalFound->text().toInt(), kFiles);
    EXPECT_EQ(window->Report().Line(window->Report().Count() - 1), "Done.");
}

TEST_F(WindowTest, CancelStopsASearchThatBacktracksLong)
{
    // The back-reference keeps the engine from remembering failed states: without a cancel the
    // search ends only when its step budget runs out, and the report says "too complex" instead.
    const std::string bytes = std::string(1 << 20, 'a') + "bc";
    const std::string a = Target("a.txt", bytes);
    Job("(a|a)+\\1c", "x");
    AnswerReplaceQuestions(script);
    script.Then([&] {
        if (!window->Run().State().running) return false;
        window->startPage->cancel->click();
        return true;
    });
    window->startPage->go->click();
    EXPECT_EQ(ReadFile(a), bytes);
    const LineList& report = window->Report();
    ASSERT_GE(report.Count(), 4u);
    EXPECT_EQ(report.Line(report.Count() - 4), "search cancelled, file left unchanged");
    EXPECT_EQ(report.Line(report.Count() - 3), a + ": the search was cancelled");
}

TEST_F(WindowTest, SelectionIsTheMatchInCrLfAndUtf8Text)
{
    Target("crlf.txt", "one\r\ntwo\r\nthree f\xC3\xB6ur\r\n");
    Target("latin1.txt", "eins\r\nzwei\ndrei gr\xFC\xDF" "e \x01 vier\n");
    Job("f..ur|gr..e");
    std::vector<QString> selected;
    QString lastBox;
    const auto note = [&] {
        selected.push_back(window->startPage->occurrence->textCursor().selectedText());
        lastBox = window->startPage->occurrence->toPlainText();
    };
    script.Box(QMessageBox::Yes).Then(Answer(window->startPage->go, note)).Then(Answer(window->startPage->go, note));
    window->startPage->go->click();
    // Valid UTF-8 shows as UTF-8 ("f..ur" took the two bytes of one letter), other text as Latin-1.
    EXPECT_EQ(selected, std::vector<QString>({QString::fromUtf8("f\xC3\xB6ur"), QString::fromLatin1("gr\xFC\xDF" "e")}));
    EXPECT_TRUE(lastBox.contains(QChar(0x2401)));
}

TEST_F(WindowTest, BackupGoesToTheArchivePickedInTheDialog)
{
    const std::string a = Target("a.txt", "keep me\n");
    const std::string archive = programDir / "qmend_arch/backup.zip";
    Job("keep", "drop");
    script.Box(QMessageBox::Yes).Box(QMessageBox::Yes);
    script.Modal<QFileDialog>([&](QFileDialog* dialog) {
        // The dialog opens in the archive dir; the name is typed.
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), programDir / "qmend_arch");
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("backup.zip"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    // Emptying the temp dir, then the start.
    script.Boxes(2, QMessageBox::Yes).Then(Answer(window->startPage->processAll));
    window->startPage->go->click();
    EXPECT_EQ(ReadFile(a), "drop me\n");
    std::string listing;
    if (FILE* pipe = popen(("7za l '" + archive + "'").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) listing.append(buffer, n);
        pclose(pipe);
    }
    EXPECT_NE(listing.find("a.txt"), std::string::npos) << listing;
}

}  // namespace
