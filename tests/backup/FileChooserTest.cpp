// The file dialogs' state: where a dialog starts, and what a confirmed choice leaves behind
// (last file and directory, the chosen list without duplicates, the current directory as it was).
#include "backup/FileChooser.h"

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"

namespace {

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override { ReadCurrentDirectory(before); }
  std::string Current() {
    CDynString now;
    ReadCurrentDirectory(now);
    return std::string(now.View());
  }
  CDynString before;        // the current directory, which no choice may change
  TempDir scratch;          // folders to choose from
  ScriptedDesktop desktop;  // the scripted dialogs
  FileChooser chooser;      // the state under test
};

}  // namespace

TEST_F(Chooser, TheArchiveDialogRemembersItsChoice) {
  desktop.saveResults = {scratch / "one.zip", std::nullopt, scratch / "one.zip"};
  EXPECT_EQ(ChooseArchive(chooser, desktop, CDynString("/archive/dir")), scratch / "one.zip");
  EXPECT_EQ(desktop.fileRequests[0].filter, "ZIP files(zip)|*.zip|7z files(7z)|*.7z||");
  EXPECT_EQ(desktop.fileRequests[0].defaultExtension, "zip");
  EXPECT_EQ(desktop.fileRequests[0].initialDirectory, "/archive/dir");
  EXPECT_EQ(chooser.lastDirectory.View(), scratch.Path());
  EXPECT_EQ(Current(), before.View());
  EXPECT_EQ(ChooseArchive(chooser, desktop, CDynString("")), std::nullopt);
  EXPECT_EQ(desktop.fileRequests[1].initialDirectory, scratch.Path());
  EXPECT_EQ(desktop.fileRequests[1].initialName, scratch / "one.zip");
  ChooseArchive(chooser, desktop, CDynString(""));
  EXPECT_EQ(chooser.chosenFiles.count, 1);
}

TEST_F(Chooser, ChooseFilesAppendsAndFollowsTheLastPathChosen) {
  std::filesystem::create_directories(scratch / "y");
  desktop.openResults = {{scratch / "a.par", scratch / "y/b.par", scratch / "y/B.par", scratch / "y/b.par"}, {}};
  EXPECT_TRUE(ChooseFiles(chooser, desktop, true, nullptr, nullptr, true, "/start", false));
  EXPECT_EQ(desktop.fileRequests[0].filter, "all files|*||");
  EXPECT_EQ(desktop.fileRequests[0].initialDirectory, "/start");
  EXPECT_EQ(chooser.chosenFiles.count, 3) << "b.par once; B.par is another file";
  EXPECT_EQ(chooser.lastFile.View(), scratch / "y/b.par");
  EXPECT_EQ(chooser.lastDirectory.View(), scratch / "y");
  EXPECT_EQ(Current(), before.View());
  CWexList<CDynString> own;
  own.add(CDynString("old"));
  EXPECT_FALSE(ChooseFiles(chooser, desktop, true, nullptr, nullptr, false, nullptr, true, &own));
  EXPECT_EQ(own.count, 0);
  EXPECT_EQ(desktop.fileRequests[1].initialDirectory, scratch / "y");
}
