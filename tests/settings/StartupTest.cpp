// The start-up against a scratch program directory: the first start with every message in
// order, the silent second start, stored work directories that vanished, failures to create,
// refused sizes, and a program directory the user cannot write.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "Bytes.h"
#include "base/LineList.h"
#include "base/Paths.h"
#include "fakes/AsNobody.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "settings/ConfigPage.h"
#include "settings/Startup.h"

namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(prog);
    environment.programDir = prog;
    environment.searchPath = "";  // no archiver unless a test provides one
  }
  // A fresh start; the messages it showed.
  std::vector<std::string> Start() {
    ScriptedDesktop desktop;
    CMainConfigSheet fresh;
    LineList report;
    state = RunStartup(desktop, fresh, report, environment);
    tempDir = fresh.page.tempDir.View();
    lines = report.Count();
    return desktop.MessageTexts();
  }
  std::string Created(const std::string& what) {
    return "A new " + what + " dir \n\"" + prog + "/qmend_" + what.substr(0, 4) + "\"\n has succesfully created.";
  }
  TempDir scratch;                      // holds the program directory
  std::string prog = scratch / "prog";  // the program's directory
  StartupEnvironment environment;       // where the start-up looks
  StartupState state;                   // what the last start found
  std::string tempDir;                  // the temp dir after the last start
  size_t lines = 0;                     // report lines of the last start
};

const std::string kNoArchiver = "Warning! Missing \"7za\" from the program's dir.\nPlease copy that there!";

}  // namespace

TEST_F(Startup, FirstStartShowsEveryMessageInOrderAndTheSecondIsSilent) {
  EXPECT_EQ(Start(), (std::vector<std::string>{"A new config file \n\"" + prog + "/qmend.par\"\n has succesfully created.",
                                               Created("temp"), Created("archive"), kNoArchiver}));
  EXPECT_EQ(ReadFile(prog + "/qmend.par"), Block(65536, 512, prog + "/qmend_temp", prog + "/qmend_arch"));
  EXPECT_FALSE(state.configLoaded);
  EXPECT_EQ(lines, 48u);

  std::filesystem::copy_file("/bin/true", prog + "/7za");
  EXPECT_TRUE(Start().empty());
  EXPECT_TRUE(state.configLoaded);
  EXPECT_EQ(state.archiverPath.View(), prog + "/7za");
  // Without one in the program's directory the archiver is looked for on the search path.
  std::filesystem::rename(prog + "/7za", scratch / "7za");
  environment.searchPath = "relative:" + (scratch / "none") + ":" + scratch.Path();
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(state.archiverPath.View(), scratch / "7za");
}

TEST_F(Startup, AVanishedStoredTempDirIsKeptAndReportedOnlyWhenTheDefaultIsMissingToo) {
  std::string gone = scratch / "gone";
  WriteFile(prog + "/qmend.par", Block(65536, 512, gone, scratch.Path()));
  std::filesystem::create_directories(prog + "/qmend_temp");
  environment.warnMissingArchiver = false;
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(tempDir, gone);
  std::filesystem::remove(prog + "/qmend_temp");
  EXPECT_EQ(Start(), std::vector<std::string>{"The temp dir \"" + gone + "\" does not exist.\n\n" + Created("temp")});
  EXPECT_EQ(tempDir, gone);
}

TEST_F(Startup, FailuresToCreateAndRefusedSizesAreReported) {
  std::filesystem::create_directory(prog + "/qmend.par");
  WriteFile(prog + "/qmend_temp", "x");
  WriteFile(prog + "/qmend_arch", "x");
  environment.warnMissingArchiver = false;
  std::string noArchive = "Could not create default archive dir \"" + prog + "/qmend_arch\"!\nPlease choose an existing one in \"Config\"!";
  EXPECT_EQ(Start(), (std::vector<std::string>{
                         "Error! Could not create new config file \n\"" + prog + "/qmend.par\"!",
                         "Could not create default temp dir \"" + prog + "/qmend_temp\"!\nPlease choose an existing one in \"Config\"!",
                         noArchive}));
  std::filesystem::remove(prog + "/qmend.par");
  WriteFile(prog + "/qmend.par", Block(1000, 1000, prog, scratch / "nope"));
  std::vector<std::string> shown = Start();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0].find("Buffer size must be greater than overlap!"), std::string::npos);
  EXPECT_EQ(shown[1], "The archive dir \"" + (scratch / "nope") + "\" does not exist.\n\n" + noArchive);
  // A file of another layout (another count) is ignored without a word.
  WriteFile(prog + "/qmend.par", U32(2) + std::string(20, '\0'));
  for (const char* dir : {"/qmend_temp", "/qmend_arch"}) std::filesystem::remove(prog + dir), std::filesystem::create_directory(prog + dir);
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(tempDir, prog + "/qmend_temp");
}

TEST_F(Startup, AProgramDirectoryTheUserCannotWriteUsesTheDataHome) {
  for (const char* place : {"xdg", "home"}) std::filesystem::create_directory(scratch / place);
  for (const char* place : {"", "/xdg", "/home"}) chmod((scratch.Path() + place).c_str(), 0777);
  environment.home = scratch / "home";
  for (std::string xdg : {scratch / "xdg", std::string()}) {
    environment.dataHome = xdg;
    std::string base = xdg.empty() ? scratch / "home/.local/share/quillmend" : xdg + "/quillmend";
    EXPECT_EQ(RunAsNobody([&] { return Start().size() == 4 && state.configFile.View() == base + "/qmend.par" ? 0 : 1; }), 0);
    EXPECT_EQ(GetPathKind((base + "/qmend_temp").c_str()), kPathDirectory);
  }
  EXPECT_EQ(GetPathKind((prog + "/qmend.par").c_str()), kPathNothing);
  EXPECT_EQ(WorkBaseDirectory(environment), prog);
  // An installed program keeps nothing beside itself, even for root, who may write there.
  environment.programDir = "/usr/bin";
  EXPECT_EQ(WorkBaseDirectory(environment), scratch / "home/.local/share/quillmend");
}
