// The file dialogs' state: where a dialog starts, what a confirmed choice leaves behind (last
// file, last and current directory, the chosen list without duplicates), and cancelling.
#include "backup/FileChooser.h"

#include <gtest/gtest.h>

#include "Scratch.h"
#include "fakes/ScriptedDesktop.h"
#include "base/Paths.h"

namespace {

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ReadCurrentDirectory(before)); }
  void TearDown() override { ChangeCurrentDirectory(before); }
  std::string Current() {
    CDynString now;
    ReadCurrentDirectory(now);
    return std::string(now.View());
  }
  CDynString before;        // the current directory to go back to
  ScratchDir scratch;       // folders to choose from
  ScriptedDesktop desktop;  // the scripted dialogs
  FileChooser chooser;      // the state under test
};

}  // namespace

TEST_F(Chooser, TheArchiveDialogRemembersItsChoice) {
  std::filesystem::create_directory(scratch / "arch");
  desktop.saveResults = {scratch / "arch/one.zip", std::nullopt, scratch / "arch/one.zip"};
  EXPECT_EQ(ChooseArchive(chooser, desktop, CDynString("/archive/dir")), scratch / "arch/one.zip");
  const FileChooserRequest& first = desktop.fileRequests[0];
  EXPECT_EQ(first.filter, "ZIP files(zip)|*.zip|7z files(7z)|*.7z||");
  EXPECT_EQ(first.defaultExtension, "zip");
  EXPECT_EQ(first.initialDirectory, "/archive/dir");
  EXPECT_EQ(first.initialName, "");
  EXPECT_EQ(chooser.lastFile.View(), scratch / "arch/one.zip");
  EXPECT_EQ(chooser.lastDirectory.View(), scratch / "arch");
  EXPECT_EQ(Current(), scratch / "arch");

  ChangeCurrentDirectory(before);
  EXPECT_EQ(ChooseArchive(chooser, desktop, CDynString("")), std::nullopt);
  EXPECT_EQ(desktop.fileRequests[1].initialDirectory, scratch / "arch");
  EXPECT_EQ(desktop.fileRequests[1].initialName, scratch / "arch/one.zip");
  EXPECT_EQ(Current(), before.View());

  ChooseArchive(chooser, desktop, CDynString(""));
  EXPECT_EQ(chooser.chosenFiles.count, 1) << "the same path is kept once";
}

TEST_F(Chooser, ChooseFilesAppendsAndFollowsTheLastPathChosen) {
  std::filesystem::create_directories(scratch / "x/y");
  CDynString earlier((scratch / "x/y/b.par").c_str());
  earlier.caseSensitive = true;
  chooser.chosenFiles.add(earlier);
  desktop.openResults = {{scratch / "x/a.par", scratch / "x/y/b.par", scratch / "x/y/B.par"}, {}};
  EXPECT_TRUE(ChooseFiles(chooser, desktop, true, nullptr, nullptr, true, "/start", false));
  EXPECT_EQ(desktop.fileRequests[0].filter, "all files|*||");
  EXPECT_TRUE(desktop.fileRequests[0].multiSelect);
  EXPECT_EQ(desktop.fileRequests[0].initialDirectory, "/start");
  EXPECT_EQ(chooser.chosenFiles.count, 3) << "b.par once; B.par is another file";
  EXPECT_EQ(chooser.lastFile.View(), scratch / "x/y/B.par");
  EXPECT_EQ(Current(), scratch / "x/y");

  CWexList<CDynString> own;
  own.add(CDynString("old"));
  EXPECT_FALSE(ChooseFiles(chooser, desktop, true, nullptr, nullptr, false, nullptr, true, &own));
  EXPECT_EQ(own.count, 0) << "emptied first even when cancelled";
  EXPECT_EQ(chooser.chosenFiles.count, 3);
  EXPECT_EQ(desktop.fileRequests[1].initialDirectory, scratch / "x/y");
}
