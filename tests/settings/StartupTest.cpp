// The start-up sequence against a scratch program directory: the first start with every
// message in order, the silent second start, stored work directories that vanished, refused
// sizes, failures to create, the welcome text, and a program directory the user cannot write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fakes/AsNobody.h"
#include "Scratch.h"
#include "fakes/ScriptedDesktop.h"
#include "base/LineList.h"
#include "base/Paths.h"
#include "settings/ConfigPage.h"
#include "settings/Startup.h"

namespace {

Bytes Block(std::uint32_t buffer, std::uint32_t overlap, const std::string& temp, const std::string& arch) {
  Bytes b = U32(4);
  for (std::uint32_t v : {buffer, overlap}) {
    Put(b, Bytes{0, 4, 0, 0, 0});
    Put(b, U32(v));
    Put(b, U32(0));
  }
  for (const std::string& s : {temp, arch}) {
    Put(b, Bytes{1});
    Put(b, U32(static_cast<std::uint32_t>(s.size())));
    Put(b, s);
    Put(b, U32(0));
  }
  return b;
}

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(prog);
    environment.programDir = prog;
    environment.searchPath = "";  // no archiver anywhere unless a test puts one in prog
  }
  StartupState Run() { return RunStartup(desktop, sheet, report, environment); }
  std::string Created(const std::string& what, const std::string& dir) {
    return "A new " + what + " dir \n\"" + dir + "\"\n has succesfully created.";
  }

  ScratchDir scratch;                   // holds the program directory and other places
  std::string prog = scratch / "prog";  // the program's directory
  StartupEnvironment environment;       // the program directory and the search path
  ScriptedDesktop desktop;              // records the messages
  CMainConfigSheet sheet;               // the configuration values
  LineList report;                      // the report list
};

const char* kMissing = "Warning! Missing \"7za\" from the program's dir.\nPlease copy that there!";

}  // namespace

TEST_F(Startup, FirstStartInAnEmptyProgramDirectoryShowsEveryMessageInOrder) {
  StartupState state = Run();
  std::vector<std::string> expected = {
      "A new config file \n\"" + prog + "/qmend.par\"\n has succesfully created.",
      Created("temp", prog + "/qmend_temp"), Created("archive", prog + "/qmend_arch"), kMissing};
  EXPECT_EQ(desktop.MessageTexts(), expected);
  for (const auto& m : desktop.messages) EXPECT_EQ(m.caption, "Quillmend");
  EXPECT_EQ(ReadBytes(prog + "/qmend.par"), Block(65536, 512, prog + "/qmend_temp", prog + "/qmend_arch"));
  EXPECT_EQ(GetPathKind((prog + "/qmend_temp").c_str()), kPathDirectory);
  EXPECT_EQ(GetPathKind((prog + "/qmend_arch").c_str()), kPathDirectory);
  EXPECT_FALSE(state.configLoaded);
  EXPECT_EQ(sheet.page.reportFilePath.View(), prog + "/qmend_arch/report.txt");
  EXPECT_EQ(state.archiverPath.View(), prog + "/7za");
  EXPECT_EQ(report.Count(), 48u);
}

TEST_F(Startup, SecondStartIsSilentAndFindsTheArchiver) {
  Run();
  WriteBytes(prog + "/7za", Bytes{'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
  chmod((prog + "/7za").c_str(), 0755);
  ScriptedDesktop second;
  CMainConfigSheet again;
  LineList lines;
  StartupState state = RunStartup(second, again, lines, environment);
  EXPECT_TRUE(second.messages.empty()) << second.MessageTexts().front();
  EXPECT_TRUE(state.configLoaded);
  EXPECT_EQ(state.archiverPath.View(), prog + "/7za");
  EXPECT_EQ(again.page.tempDir.View(), prog + "/qmend_temp");

  // Without one in the program's directory, the archiver is looked for on the search path.
  std::filesystem::remove(prog + "/7za");
  std::filesystem::create_directory(scratch / "bin");
  std::filesystem::copy_file("/bin/true", scratch / "bin/7za");
  environment.searchPath = "relative:" + (scratch / "nothing") + ":" + (scratch / "bin");
  EXPECT_EQ(RunStartup(second, again, lines, environment).archiverPath.View(), scratch / "bin/7za");
  EXPECT_TRUE(second.messages.empty());
}

TEST_F(Startup, AVanishedStoredTempDirIsKeptAndReportedOnlyWhenTheDefaultIsMissingToo) {
  std::string gone = scratch / "gone";
  WriteBytes(prog + "/qmend.par", Block(65536, 512, gone, scratch.path.string()));
  std::filesystem::create_directories(prog + "/qmend_temp");
  environment.warnMissingArchiver = false;
  Run();
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(sheet.page.tempDir.View(), gone);

  std::filesystem::remove(prog + "/qmend_temp");
  ScriptedDesktop second;
  CMainConfigSheet again;
  RunStartup(second, again, report, environment);
  EXPECT_EQ(second.MessageTexts(), std::vector<std::string>{"The temp dir \"" + gone + "\" does not exist.\n\n" +
                                                            Created("temp", prog + "/qmend_temp")});
  EXPECT_EQ(again.page.tempDir.View(), gone);
}

TEST_F(Startup, FailuresToCreateAreReported) {
  std::filesystem::create_directory(prog + "/qmend.par");
  WriteBytes(prog + "/qmend_temp", Bytes{'x'});
  WriteBytes(prog + "/qmend_arch", Bytes{'x'});
  environment.warnMissingArchiver = false;
  Run();
  std::vector<std::string> expected = {
      "Error! Could not create new config file \n\"" + prog + "/qmend.par\"!",
      "Could not create default temp dir \"" + prog + "/qmend_temp\"!\nPlease choose an existing one in \"Config\"!",
      "Could not create default archive dir \"" + prog +
          "/qmend_arch\"!\nPlease choose an existing one in \"Config\"!"};
  EXPECT_EQ(desktop.MessageTexts(), expected);

  // A stored archive dir that vanished with its default uncreatable: both texts in one message.
  std::filesystem::remove(prog + "/qmend.par");
  WriteBytes(prog + "/qmend.par", Block(65536, 512, "", scratch / "nope"));
  ScriptedDesktop second;
  RunStartup(second, sheet, report, environment);
  ASSERT_EQ(second.messages.size(), 2u);
  EXPECT_EQ(second.messages[1].text, "The archive dir \"" + (scratch / "nope") + "\" does not exist.\n\n" +
                                         expected[2]);
}

TEST_F(Startup, StoredSizesOutsideTheRuleFallBackToTheDefaults) {
  WriteBytes(prog + "/qmend.par", Block(1000, 1000, prog, prog));
  environment.warnMissingArchiver = false;
  Run();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_NE(desktop.messages[0].text.find("Buffer size must be greater than overlap!"), std::string::npos);
  EXPECT_EQ(sheet.page.bufferSize, 65536u);
  EXPECT_EQ(sheet.page.overlap, 512u);
  EXPECT_EQ(sheet.page.tempDir.View(), prog);

  // A file from another layout (another count) is ignored without a word.
  Bytes other = U32(2);
  Put(other, Bytes(20, 0));
  WriteBytes(prog + "/qmend.par", other);
  ScriptedDesktop second;
  CMainConfigSheet again;
  EXPECT_TRUE(RunStartup(second, again, report, environment).configLoaded);
  EXPECT_EQ(again.page.tempDir.View(), prog + "/qmend_temp");
}

TEST_F(Startup, WelcomeTextHasItsShapeAndTheTooltipItsLines) {
  const std::vector<std::string>& lines = WelcomeLines();
  ASSERT_EQ(lines.size(), 48u);
  EXPECT_EQ(lines[0], std::string(46, ' ') + "Welcome to Quillmend!");
  EXPECT_EQ(lines[1], std::string(34, ' ') + "a freeware interactive text search/replace utility");
  EXPECT_EQ(lines[2], std::string(34, ' ') + "To see more details and usage terms see About.");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Version history:");
  std::vector<std::string> versions;
  for (size_t i = 5; i < lines.size(); ++i) {
    const std::string& prev = lines[i - 1];
    if (prev == "Version history:" || prev.empty()) {
      versions.push_back(lines[i]);
    } else {
      EXPECT_TRUE(lines[i].empty() || lines[i].starts_with(" -")) << lines[i];
    }
  }
  EXPECT_EQ(versions, (std::vector<std::string>{"2.43:", "2.42:", "2.41:", "2.40:", "2.30:", "2.20:", "2.10:",
                                                "2.03:", "2.02:"}));
  EXPECT_FALSE(lines.back().empty());
  std::string tooltip = PatternTooltipText();
  EXPECT_TRUE(tooltip.starts_with("[Expand!] will keep only file/dir names (without path) which contain"));
  EXPECT_NE(tooltip.find("\r\n\\.(cpp|h)$    C++ source files\r\n"), std::string::npos);
  EXPECT_TRUE(tooltip.ends_with("^[^ab]+$    file/dir names contain NO a,b letters"));
}

// Runs the start-up as nobody in a child process; whether its configuration file went to
// `expectedBase` with the four first-start messages.
bool StartsAsNobodyIn(const StartupEnvironment& environment, const std::string& expectedBase) {
  return RunAsNobody([&] {
           ScriptedDesktop quiet;
           CMainConfigSheet childSheet;
           LineList lines;
           StartupState state = RunStartup(quiet, childSheet, lines, environment);
           return state.configFile.View() == expectedBase + "/qmend.par" && quiet.messages.size() == 4 ? 0 : 1;
         }) == 0;
}

TEST_F(Startup, AProgramDirectoryTheUserCannotWriteUsesTheDataHome) {
  chmod(scratch.path.c_str(), 0755);
  for (const char* place : {"xdg", "home"}) {
    std::filesystem::create_directory(scratch / place);
    chmod((scratch / place).c_str(), 0777);
  }
  environment.dataHome = scratch / "xdg";
  environment.home = scratch / "home";
  EXPECT_TRUE(StartsAsNobodyIn(environment, scratch / "xdg/quillmend"));
  EXPECT_EQ(GetPathKind((scratch / "xdg/quillmend/qmend.par").c_str()), kPathFile);
  EXPECT_EQ(GetPathKind((scratch / "xdg/quillmend/qmend_temp").c_str()), kPathDirectory);
  EXPECT_EQ(GetPathKind((prog + "/qmend.par").c_str()), kPathNothing);

  environment.dataHome = "";
  EXPECT_TRUE(StartsAsNobodyIn(environment, scratch / "home/.local/share/quillmend"));
  EXPECT_EQ(WorkBaseDirectory(environment), prog);
}
