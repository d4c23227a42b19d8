// The backup archive against the real 7za: a directory, files inside it and a missing target
// packed and unpacked again, the type from the extension, an old archive replaced, awkward
// names passed whole, failing archivers that leave every target untouched, and the refusals
// that keep the emptying of the temp dir away from targets and archive.
#include <sys/stat.h>

#include <fstream>
#include <gtest/gtest.h>
#include <map>

#include "backup/Backup.h"
#include "backup/CommandLine.h"
#include "backup/ProcessRunner.h"
#include "base/Paths.h"
#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "targets/TargetList.h"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

// Every regular file below a directory with its content, by path relative to it.
Files FilesBelow(const std::string& root) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
  }
  return files;
}

void Script(const std::string& path, const std::string& text) {
  WriteFile(path, "#!/bin/sh\n" + text);
  chmod(path.c_str(), 0755);
}

class Backup : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch.File("data/docs/a.txt", std::string("a\0b", 3));
    scratch.File("data/docs/sub/b.txt", std::string(100000, 'x'));
    scratch.File("qm temp/leftover.txt", "old");
    scratch.Dir("arch");
    settings.tempDir = CDynString(temp);
    settings.archiverPath = FindArchiver("/nonexistent", getenv("PATH"));
  }
  void List(const std::vector<std::string>& paths) {
    targets.lines.Clear();
    for (const std::string& p : paths) targets.lines.Append(p);
    targets.normalized = false;
  }
  bool Make(const std::string& archive) {
    desktop.answers.push_back(DesktopAnswer::Yes);
    return MakeBackupArchive(desktop, &progress, targets, settings, CDynString(archive));
  }
  // What 7za unpacks from an archive, below the temp dir's name.
  Files Unpacked(const std::string& archive) {
    std::string out = scratch / ("out" + std::to_string(++unpacks));
    EXPECT_EQ(RunArchiver(QuoteArgument(std::string(settings.archiverPath.View())) + " x " + QuoteArgument("-o" + out) +
                          " -- " + QuoteArgument(archive)).exitStatus, 0);
    return FilesBelow(out + "/qm temp");
  }
  std::string Last() { return desktop.MessageTexts().back(); }

  TempDir scratch;                               // everything of the test
  std::string data = scratch / "data";           // the targets
  std::string temp = scratch / "qm temp";        // the temp dir
  std::string archives = scratch / "arch";       // where archives go
  TargetList targets;                            // the target list
  BackupSettings settings;                       // temp dir and archiver
  ScriptedDesktop desktop;                       // answers the question
  RecordingProgress progress;                    // the progress bar
  int unpacks = 0;                               // directories unpacked so far
};

std::string Rel(const std::string& p) { return p.substr(1); }

}  // namespace

TEST_F(Backup, PacksTheMirrorTreeThatUnpacksToTheOriginals) {
  // Normalised before the last target vanished: that one stays in the list.
  List({data + "/docs", data + "/docs/a.txt", data + "/docs/sub/b.txt", data + "/vanished/gone.txt"});
  targets.normalized = true;
  ASSERT_TRUE(Make(archives + "/b.7z")) << Last();
  EXPECT_EQ(desktop.MessageTexts(),
            std::vector<std::string>{"Now the content of your temp dir:\n\"" + temp + "/\"\nwill be deleted. Proceed?"});
  Files expected = {{Rel(data + "/docs/a.txt"), std::string("a\0b", 3)},
                    {Rel(data + "/docs/sub/b.txt"), std::string(100000, 'x')}};
  EXPECT_EQ(Unpacked(archives + "/b.7z"), expected);
  EXPECT_EQ(GetPathKind((temp + data + "/vanished").c_str()), kPathDirectory) << "only the missing target's directory";
  EXPECT_EQ(GetPathKind((temp + data + "/vanished/gone.txt").c_str()), kPathNothing);
  EXPECT_EQ(GetPathKind((temp + "/leftover.txt").c_str()), kPathNothing);
  EXPECT_EQ(progress.stepCount, 1 + 4);  // the one leftover emptied, then the four targets
  EXPECT_EQ(progress.upper * 100 + progress.position, 404);

  // An old archive is replaced, and a list that is not normalised loses its vanished lines.
  List({data + "/docs/sub/b.txt", data + "/gone"});
  ASSERT_TRUE(Make(archives + "/b.7z"));
  EXPECT_EQ(targets.lines.Count(), 1u);
  EXPECT_EQ(Unpacked(archives + "/b.7z"), (Files{*expected.rbegin()}));
  EXPECT_NE(BackupCommandLine("/x/7za", "/a/b.7z", "/t/").find(" a -t7z -- "), std::string::npos);
}

TEST_F(Backup, AwkwardNamesReachTheArchiverWhole) {
  std::string odd = data + "/a \"q\" $HOME `id` ;x";
  fs::create_directories(odd);
  WriteFile(odd + "/f $(ls).txt", "1");
  List({odd + "/f $(ls).txt"});
  std::string archive = archives + "/my \"arch\" $PATH `uname`.zip";
  ASSERT_TRUE(Make(archive)) << Last();
  EXPECT_EQ(Unpacked(archive), (Files{{Rel(odd + "/f $(ls).txt"), "1"}}));

  Script(scratch / "rec 7za", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n: > \"$4\"\n");
  settings.archiverPath = CDynString(scratch / "rec 7za");
  ASSERT_TRUE(Make(archive));
  // The archiver writes into a private directory beside the archive, which is then renamed.
  const std::string args = ReadFile(scratch / "args");
  EXPECT_TRUE(args.starts_with("a\n-tzip\n--\n" + archives + "/.qmend-archive-")) << args;
  EXPECT_TRUE(args.ends_with("/my \"arch\" $PATH `uname`.zip\n" + temp + "/\n")) << args;
  EXPECT_EQ(FilesBelow(archives), (Files{{"my \"arch\" $PATH `uname`.zip", ""}}));
}

TEST_F(Backup, AFailingArchiverStopsWithTheTargetsAndTheOldArchiveUntouched) {
  List({data + "/docs", data + "/docs/a.txt", data + "/docs/sub/b.txt"});
  Files before = FilesBelow(data);
  WriteFile(archives + "/x.zip", "old archive");
  BackupSettings real = settings;
  Script(scratch / "7za", "exit 2\n");
  settings.archiverPath = CDynString(scratch / "7za");
  EXPECT_FALSE(Make(archives + "/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: the archiver ended with exit status 2.");
  settings.archiverPath = CDynString(scratch / "none/7za");
  EXPECT_FALSE(Make(archives + "/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: could not start the archiver:\r\n" + (scratch / "none/7za"));
  settings.archiverPath = "/bin/true";
  EXPECT_FALSE(Make(archives + "/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: the archiver made no archive at:\r\n" + archives + "/x.zip");
  EXPECT_EQ(FilesBelow(archives), (Files{{"x.zip", "old archive"}})) << "nothing left beside it either";
  settings = real;
  WriteFile(archives + "/plain", "p");
  EXPECT_FALSE(Make(archives + "/plain/x.7z"));
  EXPECT_EQ(Last(), "Archiving failed: could not create a temporary archive beside:\r\n" + archives + "/plain/x.7z");

  // A read-only archive folder, for a user the permissions really hold for.
  chmod(scratch.Path().c_str(), 0755);
  chmod(archives.c_str(), 0555);
  fs::remove_all(temp);
  fs::create_directory(temp);
  ASSERT_TRUE(GiveToNobody(temp));
  EXPECT_EQ(RunAsNobody([&] {
              return !Make(archives + "/ro.zip") && Last().starts_with("Archiving failed: could not create") ? 0 : 1;
            }), 0);
  EXPECT_EQ(GetPathKind((archives + "/ro.zip").c_str()), kPathNothing);
  EXPECT_EQ(FilesBelow(data), before);
}

TEST_F(Backup, AnArchiveAmongTheTargetsIsRefusedBeforeAnythingHappens) {
  fs::create_hard_link(data + "/docs/a.txt", scratch / "hard.zip");
  List({data + "/docs", data + "/docs/a.txt"});
  for (const std::string& archive : {data + "/docs/a.txt", data + "/docs/new/x.zip", scratch / "hard.zip"}) {
    EXPECT_FALSE(MakeBackupArchive(desktop, &progress, targets, settings, CDynString(archive)));
    EXPECT_TRUE(Last().starts_with("Archiving failed: the archive is one of the targets or lies inside one:")) << archive;
  }
  EXPECT_EQ(desktop.MessageTexts().size(), 3u) << "no question asked";
  EXPECT_EQ(ReadFile(data + "/docs/a.txt"), std::string("a\0b", 3));
  EXPECT_EQ(ReadFile(temp + "/leftover.txt"), "old");
  EXPECT_EQ(ArchiveRefusal(scratch / "docs.zip", {data + "/docs"}), "");
}

TEST_F(Backup, EmptyingIsRefusedForTheRootHomeAndDirectoriesHoldingATargetOrTheArchive) {
  WriteFile(temp + "/keep.txt", "k");
  List({data + "/docs/a.txt", temp + "/keep.txt"});
  EXPECT_FALSE(Make(archives + "/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: the temp dir holds the target:\r\n" + temp + "/keep.txt");
  EXPECT_EQ(ReadFile(temp + "/keep.txt"), "k");
  // A listed link into the temp dir: emptying would delete the file it points to.
  fs::create_symlink(temp + "/keep.txt", scratch / "to-keep");
  List({scratch / "to-keep"});
  EXPECT_FALSE(Make(archives + "/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: the temp dir holds the target:\r\n" + scratch / "to-keep");
  EXPECT_EQ(ReadFile(temp + "/keep.txt"), "k");
  List({data + "/docs/a.txt"});
  EXPECT_FALSE(Make(temp + "/sub/x.zip"));
  EXPECT_EQ(Last(), "Archiving failed: the temp dir holds the archive:\r\n" + temp + "/sub/x.zip");
  desktop.answers.push_back(DesktopAnswer::No);
  EXPECT_FALSE(MakeBackupArchive(desktop, &progress, targets, settings, CDynString("/x.zip")));
  EXPECT_EQ(ReadFile(temp + "/leftover.txt"), "old");

  fs::create_directory_symlink(temp, scratch / "link");
  EXPECT_NE(TempDirRefusal(scratch / "link", {temp + "/keep.txt"}, ""), "");
  EXPECT_NE(TempDirRefusal("/", {}, ""), "");
  std::string home = getenv("HOME");
  fs::create_directories(scratch / "users/me");
  setenv("HOME", (scratch / "users/me").c_str(), 1);
  for (const std::string& refused : {scratch / "users/me/", scratch / "users"}) EXPECT_NE(TempDirRefusal(refused, {}, ""), "") << refused;
  EXPECT_EQ(TempDirRefusal(scratch / "users/me/tmp", {}, ""), "");
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(TempDirRefusal(temp, {data, scratch / "qm temp2"}, ""), "");
  EXPECT_EQ(TempDirRefusal(temp, {scratch.Path()}, ""), "the temp dir lies inside the target:\r\n" + scratch.Path());
  EXPECT_TRUE(MakeDirTree((scratch / "n/e//w/").c_str()));
  EXPECT_FALSE(MakeDirTree((temp + "/leftover.txt/sub").c_str()));
}
