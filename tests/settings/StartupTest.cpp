// The start-up against a scratch program directory: the first start with every message in
// order, the silent second start, stored work directories that vanished, failures to create,
// refused sizes, the welcome text, and a program directory the user cannot write.
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

TEST_F(Startup, WelcomeTextAndTooltip) {
  const std::vector<std::string>& text = WelcomeLines();
  ASSERT_EQ(text.size(), 48u);
  EXPECT_EQ(text[0], std::string(46, ' ') + "Welcome to Quillmend!");
  EXPECT_EQ(text[2], std::string(34, ' ') + "To see more details and usage terms see About.");
  EXPECT_EQ(text[4], "Version history:");
  std::vector<std::string> versions;
  for (size_t i = 5; i < text.size(); ++i) {
    if (text[i - 1].empty() || i == 5) versions.push_back(text[i]);
    else EXPECT_TRUE(text[i].empty() || text[i].starts_with(" -")) << text[i];
  }
  EXPECT_EQ(versions, (std::vector<std::string>{"2.43:", "2.42:", "2.41:", "2.40:", "2.30:", "2.20:", "2.10:", "2.03:", "2.02:"}));
  std::string tooltip = PatternTooltipText();
  EXPECT_NE(tooltip.find("E.g.:\r\n\r\n{10,}            file/dir names"), std::string::npos);
  EXPECT_TRUE(tooltip.ends_with("\\.(cpp|h)$    C++ source files\r\n^base          file/dir names begin with \"base\"\r\n"
                                "^[^ab]+$    file/dir names contain NO a,b letters"));
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
