// The configuration sheet: the modal run with Cancel and OK, the buffer-versus-overlap check,
// the folder choosers, Save and Load through the file dialogs, "empty!" and Help.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "Scratch.h"
#include "fakes/ScriptedDesktop.h"
#include "base/Paths.h"
#include "settings/ConfigPage.h"

namespace {

class ConfigSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    page.tempDir = CDynString(scratch / "temp");
    page.archiveDir = "/arch";
    page.refreshControls = [this] { ++refreshes; };
  }
  ScratchDir scratch;                  // files and folders of the test
  CMainConfigSheet sheet;              // the sheet under test
  CMainConfigPage1& page = sheet.page; // its one page
  ScriptedDesktop desktop;             // answers and records
  FileChooser chooser;                 // the main window's file dialog state
  int refreshes = 0;                   // how often the controls were refreshed
};

}  // namespace

TEST_F(ConfigSheet, CancelUndoesAndOkKeepsOnlyValuesThatMayBeUsed) {
  auto edit = [&](std::uint32_t buffer, std::uint32_t overlap, int button) {
    return RunSheetModal(sheet, [&] {
      page.bufferSize = buffer;
      page.overlap = overlap;
      page.tempDir = "/elsewhere";
      if (button == kSheetOk) page.OnOK(desktop);
      return button;
    });
  };
  EXPECT_EQ(edit(4096, 16, kSheetCancel), kSheetCancel);
  EXPECT_EQ(page.bufferSize, 65536u);
  EXPECT_EQ(page.tempDir.View(), scratch / "temp");
  EXPECT_TRUE(desktop.messages.empty());

  EXPECT_EQ(edit(4096, 16, kSheetOk), kSheetOk);
  EXPECT_EQ(page.bufferSize, 4096u);
  EXPECT_EQ(page.overlap, 16u);
  EXPECT_EQ(page.tempDir.View(), "/elsewhere");

  edit(1000, 1000, kSheetOk);
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"Buffer size must be greater than overlap!"});
  EXPECT_EQ(page.bufferSize, 4096u);
  EXPECT_EQ(page.overlap, 16u);
  EXPECT_EQ(page.tempDir.View(), "/elsewhere");
  edit(2000, 0, kSheetOk);
  edit((1u << 30) + 1, 5, kSheetOk);
  EXPECT_EQ(page.overlap, 16u);
  EXPECT_EQ(desktop.messages.size(), 3u);

  sheet.windowExists = true;
  EXPECT_EQ(RunSheetModal(sheet, [] { return kSheetOk; }), 0);
}

TEST_F(ConfigSheet, FolderChoosersReplaceOnChoiceAndKeepOnCancel) {
  desktop.folderResults.push_back({FolderBrowseOutcome::Chosen, "/chosen/temp"});
  page.OnChooseTempDir(desktop, chooser);
  EXPECT_EQ(page.tempDir.View(), "/chosen/temp");
  page.OnChooseTempDir(desktop, chooser);  // cancelled
  EXPECT_EQ(page.tempDir.View(), "/chosen/temp");
  ASSERT_EQ(desktop.folderRequests.size(), 2u);
  EXPECT_EQ(desktop.folderRequests[0].startFolder, scratch / "temp");
  EXPECT_EQ(desktop.folderRequests[0].title, "Select a directory!");
  EXPECT_EQ(desktop.folderRequests[0].width, 400);
  EXPECT_EQ(desktop.folderRequests[0].height, 500);

  page.archiveDir = "";
  chooser.lastDirectory = "/last/dir";
  desktop.folderResults.push_back({FolderBrowseOutcome::Unavailable, ""});
  page.OnChooseArchiveDir(desktop, chooser);
  EXPECT_EQ(desktop.folderRequests.back().startFolder, "/last/dir");
  EXPECT_EQ(page.archiveDir.View(), "");
  page.OnChooseArchiveDir(desktop, chooser);  // cancelled: the start folder comes back
  EXPECT_EQ(page.archiveDir.View(), "/last/dir");
  EXPECT_EQ(refreshes, 4);
}

TEST_F(ConfigSheet, SaveAndLoadGoThroughTheFileDialogs) {
  CDynString before;
  ASSERT_TRUE(ReadCurrentDirectory(before));
  page.bufferSize = 3000;
  chooser.chosenFiles.add(CDynString("/old/choice.par"));
  desktop.saveResults.push_back(scratch / "saved.par");
  OnSaveParams(sheet, chooser, desktop);
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  EXPECT_EQ(desktop.fileRequests[0].filter, "PAR files|*.par||");
  EXPECT_EQ(desktop.fileRequests[0].defaultExtension, "par");
  EXPECT_EQ(chooser.chosenFiles.count, 1);
  EXPECT_EQ(chooser.lastFile.View(), scratch / "saved.par");
  CDynString now;
  ReadCurrentDirectory(now);
  EXPECT_EQ(now.View(), scratch.path.string());
  EXPECT_EQ(GetPathKind((scratch / "saved.par").c_str()), kPathFile);

  OnSaveParams(sheet, chooser, desktop);  // cancelled: nothing changes
  EXPECT_EQ(chooser.chosenFiles.count, 0);

  page.bufferSize = 1;
  refreshes = 0;
  desktop.openResults.push_back({scratch / "saved.par"});
  OnLoadParams(sheet, chooser, desktop);
  EXPECT_EQ(page.bufferSize, 3000u);
  EXPECT_EQ(desktop.fileRequests.back().defaultExtension, "");
  EXPECT_EQ(desktop.fileRequests.back().initialName, scratch / "saved.par");
  EXPECT_EQ(refreshes, 1);
  ChangeCurrentDirectory(before);
}

TEST_F(ConfigSheet, HelpOnlyBeeps) {
  OnConfigHelp(desktop);
  EXPECT_EQ(desktop.beeps, (std::vector<std::pair<int, int>>{{3333, 33}}));
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ConfigSheet, EmptyAsksDeletesAndTellsTheResult) {
  std::filesystem::create_directories(scratch / "temp/sub");
  WriteBytes(scratch / "temp/sub/f.txt", Bytes{'f'});
  std::filesystem::create_symlink(scratch / "keep", scratch / "temp/link");
  WriteBytes(scratch / "keep", Bytes{'k'});
  std::string question = "Delete content of \"" + (scratch / "temp") + "\"?";

  page.OnEmptyTempDir(desktop, nullptr, {});  // answered No
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{question});
  EXPECT_EQ(GetPathKind((scratch / "temp/sub/f.txt").c_str()), kPathFile);

  desktop.answers.push_back(DesktopAnswer::Yes);
  page.OnEmptyTempDir(desktop, nullptr, {scratch / "temp/sub/f.txt"});
  EXPECT_TRUE(desktop.MessageTexts().back().starts_with("Failed to delete content! Please check why can't delete."));
  EXPECT_EQ(GetPathKind((scratch / "temp/sub/f.txt").c_str()), kPathFile);

  RecordingProgress progress;
  desktop.answers.push_back(DesktopAnswer::Yes);
  page.OnEmptyTempDir(desktop, &progress, {scratch / "keep"});
  EXPECT_EQ(desktop.MessageTexts().back(), "Content deleted.");
  EXPECT_TRUE(std::filesystem::is_empty(scratch / "temp"));
  EXPECT_EQ(ReadBytes(scratch / "keep"), Bytes{'k'}) << "a link is removed, not followed";
  EXPECT_EQ(progress.stepCount, 2);
}

TEST_F(ConfigSheet, EmptyThatCannotDeleteSaysSo) {
  chmod(scratch.path.c_str(), 0755);
  std::filesystem::create_directories(scratch / "temp/locked");
  WriteBytes(scratch / "temp/locked/f.txt", Bytes{'f'});
  ASSERT_TRUE(GiveToNobody(scratch / "temp"));
  int outcome = RunAsNobody([&] {
    desktop.answers.push_back(DesktopAnswer::Yes);
    page.OnEmptyTempDir(desktop, nullptr, {});
    return desktop.MessageTexts().back() == "Failed to delete content! Please check why can't delete." ? 0 : 1;
  });
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(GetPathKind((scratch / "temp/locked/f.txt").c_str()), kPathFile);
}
