// The configuration sheet: the modal run with Cancel and OK, the buffer-versus-overlap check,
// the folder choosers, Save and Load through the file dialogs, and "empty!".
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "settings/ConfigPage.h"

namespace {

class ConfigSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    page.tempDir = CDynString(temp);
    page.refreshControls = [this] { ++refreshes; };
    scratch.File("temp/sub/f.txt", "f");
  }
  // Edits the values inside a modal run ended with `button`.
  int Edit(std::uint32_t buffer, std::uint32_t overlap, int button) {
    return RunSheetModal(sheet, [&] {
      page.bufferSize = buffer, page.overlap = overlap, page.tempDir = "/elsewhere";
      if (button == kSheetOk) page.OnOK(desktop);
      return button;
    });
  }
  TempDir scratch;                         // files and folders of the test
  std::string temp = scratch / "temp";     // the temp dir
  CMainConfigSheet sheet;                  // the sheet under test
  CMainConfigPage1& page = sheet.page;     // its page
  ScriptedDesktop desktop;                 // answers and records
  FileChooser chooser;                     // the main window's file dialog state
  int refreshes = 0;                       // control refreshes seen
};

}  // namespace

TEST_F(ConfigSheet, CancelUndoesAndOkKeepsOnlyValuesThatMayBeUsed) {
  EXPECT_EQ(Edit(4096, 16, kSheetCancel), kSheetCancel);
  EXPECT_EQ(page.bufferSize, 65536u);
  EXPECT_EQ(page.tempDir.View(), temp);
  EXPECT_EQ(Edit(4096, 16, kSheetOk), kSheetOk);
  EXPECT_EQ(page.bufferSize, 4096u);
  Edit(1000, 1000, kSheetOk);
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"Buffer size must be greater than overlap!"});
  EXPECT_EQ(page.bufferSize, 4096u);
  EXPECT_EQ(page.overlap, 16u);
  sheet.windowExists = true;
  EXPECT_EQ(RunSheetModal(sheet, [] { return kSheetOk; }), 0);
}

TEST_F(ConfigSheet, FolderChoosersReplaceOnChoiceAndKeepOnCancel) {
  desktop.folderResults = {{FolderBrowseOutcome::Chosen, "/chosen"}, {}, {FolderBrowseOutcome::Unavailable, ""}};
  page.OnChooseTempDir(desktop, chooser);
  page.OnChooseTempDir(desktop, chooser);
  EXPECT_EQ(page.tempDir.View(), "/chosen");
  EXPECT_EQ(desktop.folderRequests[0].startFolder, temp);
  EXPECT_EQ(desktop.folderRequests[0].title, "Select a directory!");
  EXPECT_EQ(desktop.folderRequests[0].width * 1000 + desktop.folderRequests[0].height, 400500);
  chooser.lastDirectory = "/last";
  page.OnChooseArchiveDir(desktop, chooser);
  EXPECT_EQ(page.archiveDir.View(), "");
  page.OnChooseArchiveDir(desktop, chooser);
  EXPECT_EQ(desktop.folderRequests.back().startFolder, "/last");
  EXPECT_EQ(page.archiveDir.View(), "/last");
  EXPECT_EQ(refreshes, 4);
}

TEST_F(ConfigSheet, SaveAndLoadGoThroughTheFileDialogs) {
  page.bufferSize = 3000;
  desktop.saveResults = {scratch / "s.par"};
  OnSaveParams(sheet, chooser, desktop);
  OnSaveParams(sheet, chooser, desktop);  // cancelled
  EXPECT_EQ(desktop.fileRequests[0].filter, "PAR files|*.par||");
  EXPECT_EQ(desktop.fileRequests[0].defaultExtension, "par");
  EXPECT_EQ(chooser.chosenFiles.count, 0) << "emptied again by the cancelled Save";
  EXPECT_EQ(GetPathKind((scratch / "s.par").c_str()), kPathFile);
  page.bufferSize = 1;
  desktop.openResults = {{scratch / "s.par"}};
  OnLoadParams(sheet, chooser, desktop);
  EXPECT_EQ(page.bufferSize, 3000u);
  EXPECT_EQ(desktop.fileRequests.back().initialName, scratch / "s.par");
  EXPECT_EQ(refreshes, 1);
}

TEST_F(ConfigSheet, EmptyAsksRefusesDeletesAndTellsTheResult) {
  WriteFile(scratch / "keep", "k");
  std::filesystem::create_symlink(scratch / "keep", temp + "/link");
  page.OnEmptyTempDir(desktop, nullptr, {});  // answered No
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"Delete content of \"" + temp + "\"?"});
  desktop.answers = {DesktopAnswer::Yes, DesktopAnswer::Yes};
  page.OnEmptyTempDir(desktop, nullptr, {temp + "/sub/f.txt"});
  EXPECT_EQ(desktop.MessageTexts().back(), "Failed to delete content! Please check why can't delete.\n"
                                           "the temp dir holds the target:\r\n" + temp + "/sub/f.txt");
  EXPECT_EQ(ReadFile(temp + "/sub/f.txt"), "f");
  RecordingProgress progress;
  page.OnEmptyTempDir(desktop, &progress, {scratch / "keep"});
  EXPECT_EQ(desktop.MessageTexts().back(), "Content deleted.");
  EXPECT_TRUE(std::filesystem::is_empty(temp));
  EXPECT_EQ(ReadFile(scratch / "keep"), "k") << "a link is removed, not followed";
  EXPECT_EQ(progress.stepCount, 3);  // the link, the file and its directory
}

TEST_F(ConfigSheet, EmptyThatCannotDeleteSaysSo) {
  chmod(scratch.Path().c_str(), 0755);
  ASSERT_TRUE(GiveToNobody(temp));  // its root-owned "sub" stays closed to nobody
  EXPECT_EQ(RunAsNobody([&] {
              desktop.answers = {DesktopAnswer::Yes};
              page.OnEmptyTempDir(desktop, nullptr, {});
              return desktop.MessageTexts().back() == "Failed to delete content! Please check why can't delete." ? 0 : 1;
            }), 0);
  EXPECT_EQ(ReadFile(temp + "/sub/f.txt"), "f");
}
