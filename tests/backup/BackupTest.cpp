// The backup archive against the real 7za: a directory with files inside and a missing target
// packed and unpacked again, the archive type from the extension, an old archive replaced,
// awkward names passed whole, failing archivers and the refusals that keep the emptying of the
// temp dir away from the targets. A failed backup leaves every target as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "Scratch.h"
#include "fakes/ScriptedDesktop.h"
#include "backup/Backup.h"
#include "backup/CommandLine.h"
#include "backup/ProcessRunner.h"
#include "base/Paths.h"
#include "targets/TargetList.h"

namespace fs = std::filesystem;

namespace {

// Every regular file below a directory with its content, by path relative to it.
std::map<std::string, Bytes> FilesBelow(const fs::path& root) {
  std::map<std::string, Bytes> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path());
  }
  return files;
}

class Backup : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(data / "docs/sub");
    fs::create_directories(temp);
    fs::create_directories(archives);
    WriteBytes(data / "docs/a.txt", Bytes{'a', 0, 'b'});
    WriteBytes(data / "docs/sub/b.txt", Bytes(100000, 'x'));
    WriteBytes(temp / "leftover.txt", Bytes{'o', 'l', 'd'});
    settings.tempDir = CDynString(temp.string());
    settings.archiverPath = FindArchiver("/nonexistent", getenv("PATH"));
  }
  void List(std::initializer_list<fs::path> paths) {
    for (const fs::path& p : paths) targets.lines.Append(p.string());
    targets.normalized = false;
  }
  bool Make(const fs::path& archive) {
    desktop.answers.push_back(DesktopAnswer::Yes);
    return MakeBackupArchive(desktop, &progress, targets, settings, CDynString(archive.string()));
  }
  // Unpacks an archive with 7za into a fresh directory; what came out below the temp dir.
  std::map<std::string, Bytes> Unpacked(const fs::path& archive) {
    fs::path out = scratch.path / ("out" + std::to_string(++unpacks));
    std::string line = QuoteArgument(std::string(settings.archiverPath.View())) + " x " +
                       QuoteArgument("-o" + out.string()) + " -- " + QuoteArgument(archive.string());
    EXPECT_EQ(RunArchiver(line).exitStatus, 0);
    return FilesBelow(out / temp.filename());
  }

  ScratchDir scratch;                          // everything of the test
  fs::path data = scratch.path / "data";       // the targets
  fs::path temp = scratch.path / "qm temp";    // the temp dir
  fs::path archives = scratch.path / "arch";   // where archives go
  TargetList targets;                          // the target list
  BackupSettings settings;                     // temp dir and archiver
  ScriptedDesktop desktop;                     // answers the question
  RecordingProgress progress;                  // the progress bar
  int unpacks = 0;                             // directories unpacked so far
};

std::string Rel(const fs::path& p) { return p.relative_path().string(); }

}  // namespace

TEST_F(Backup, PacksTheMirrorTreeThatUnpacksToTheOriginals) {
  // Normalised before the last target vanished: that one stays in the list.
  List({data / "docs", data / "docs/a.txt", data / "docs/sub/b.txt", data / "vanished/gone.txt"});
  targets.normalized = true;
  fs::path archive = archives / "b.7z";
  ASSERT_TRUE(Make(archive)) << desktop.MessageTexts().back();
  EXPECT_EQ(desktop.MessageTexts(),
            std::vector<std::string>{"Now the content of your temp dir:\n\"" + temp.string() + "/\"\nwill be deleted. Proceed?"});
  std::map<std::string, Bytes> expected = {{Rel(data / "docs/a.txt"), ReadBytes(data / "docs/a.txt")},
                                           {Rel(data / "docs/sub/b.txt"), ReadBytes(data / "docs/sub/b.txt")}};
  EXPECT_EQ(Unpacked(archive), expected);
  EXPECT_EQ(GetPathKind((temp / Rel(data / "vanished")).c_str()), kPathDirectory) << "the missing target's directory";
  EXPECT_EQ(GetPathKind((temp / Rel(data / "vanished/gone.txt")).c_str()), kPathNothing);
  EXPECT_EQ(GetPathKind((temp / "leftover.txt").c_str()), kPathNothing);
  EXPECT_EQ(progress.upper, 4);
  EXPECT_EQ(progress.stepCount, 1 + 4);  // the one leftover emptied, then the four targets
  EXPECT_EQ(progress.position, 4);

  // A list that is not normalised loses its vanished lines before the copies.
  targets.normalized = false;
  ASSERT_TRUE(Make(archive));
  EXPECT_EQ(targets.lines.Count(), 3u);
  EXPECT_EQ(Unpacked(archive), expected);

  EXPECT_NE(BackupCommandLine("/x/7za", "/a/b.7z", "/t/").find(" a -t7z -- \"/a/b.7z\" \"/t/\""), std::string::npos);
  EXPECT_EQ(BackupCommandLine("/x/7za", "/a/b.zip", "/t/"), "\"/x/7za\" a -tzip -- \"/a/b.zip\" \"/t/\"");
}

TEST_F(Backup, AnExistingArchiveIsReplaced) {
  List({data / "docs/a.txt"});
  fs::path archive = archives / "same.zip";
  ASSERT_TRUE(Make(archive));
  targets.lines.Clear();
  List({data / "docs/sub/b.txt"});
  ASSERT_TRUE(Make(archive));
  std::map<std::string, Bytes> unpacked = Unpacked(archive);
  ASSERT_EQ(unpacked.size(), 1u);
  EXPECT_EQ(unpacked.begin()->first, Rel(data / "docs/sub/b.txt"));
}

TEST_F(Backup, AwkwardNamesReachTheArchiverWhole) {
  fs::path odd = data / "a \"q\" $HOME `id` ;x";
  fs::create_directories(odd);
  WriteBytes(odd / "f $(ls).txt", Bytes{'1'});
  List({odd / "f $(ls).txt"});
  fs::path archive = archives / "my \"arch\" $PATH `uname`.zip";
  ASSERT_TRUE(Make(archive)) << desktop.MessageTexts().back();
  std::map<std::string, Bytes> unpacked = Unpacked(archive);
  EXPECT_EQ(unpacked, (std::map<std::string, Bytes>{{Rel(odd / "f $(ls).txt"), Bytes{'1'}}}));

  // A recording archiver shows the exact words it got.
  fs::path recorder = scratch.path / "rec 7za";
  WriteBytes(recorder, Bytes{});
  std::ofstream(recorder) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n: > \"$4\"\n";
  chmod(recorder.c_str(), 0755);
  settings.archiverPath = CDynString(recorder.string());
  ASSERT_TRUE(Make(archive));
  std::ifstream in(scratch.path / "args");
  std::vector<std::string> args;
  for (std::string l; std::getline(in, l);) args.push_back(l);
  EXPECT_EQ(args, (std::vector<std::string>{"a", "-tzip", "--", archive.string(), temp.string() + "/"}));
}

TEST_F(Backup, AFailingArchiverStopsWithTheTargetsUntouched) {
  List({data / "docs", data / "docs/a.txt", data / "docs/sub/b.txt"});
  std::map<std::string, Bytes> before = FilesBelow(data);

  fs::path failing = scratch.path / "7za";
  std::ofstream(failing) << "#!/bin/sh\nexit 2\n";
  chmod(failing.c_str(), 0755);
  BackupSettings real = settings;
  settings.archiverPath = CDynString(failing.string());
  EXPECT_FALSE(Make(archives / "x.zip"));
  EXPECT_EQ(desktop.MessageTexts().back(), "Archiving failed: the archiver ended with exit status 2.");

  settings.archiverPath = CDynString((scratch.path / "none/7za").string());
  EXPECT_FALSE(Make(archives / "x.zip"));
  EXPECT_EQ(desktop.MessageTexts().back(),
            "Archiving failed: could not start the archiver:\r\n" + (scratch.path / "none/7za").string());

  // An archiver that ends well but leaves nothing at the chosen path.
  settings.archiverPath = CDynString("/bin/true");
  EXPECT_FALSE(Make(archives / "x.zip"));
  EXPECT_EQ(desktop.MessageTexts().back(),
            "Archiving failed: the archiver made no archive at:\r\n" + (archives / "x.zip").string());

  // The real archiver refused by a path below a regular file.
  settings = real;
  WriteBytes(archives / "plain", Bytes{'p'});
  EXPECT_FALSE(Make(archives / "plain/x.7z"));
  EXPECT_TRUE(desktop.MessageTexts().back().starts_with("Archiving failed: the archiver ended with exit status"));
  EXPECT_EQ(FilesBelow(data), before);
}

TEST_F(Backup, AReadOnlyArchiveFolderFailsTheBackupOfAnUnprivilegedUser) {
  List({data / "docs/a.txt"});
  chmod(scratch.path.c_str(), 0755);
  chmod(archives.c_str(), 0555);
  ASSERT_TRUE(GiveToNobody(temp.string()));
  std::map<std::string, Bytes> before = FilesBelow(data);
  int outcome = RunAsNobody([&] {
    bool made = Make(archives / "ro.zip");
    bool told = desktop.MessageTexts().back().starts_with("Archiving failed: the archiver ended with exit status");
    return !made && told ? 0 : 1;
  });
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(GetPathKind((archives / "ro.zip").c_str()), kPathNothing);
  EXPECT_EQ(FilesBelow(data), before);
}

TEST_F(Backup, EmptyingIsRefusedForTheRootHomeAndDirectoriesHoldingTargets) {
  fs::path inside = temp / "keep.txt";
  WriteBytes(inside, Bytes{'k'});
  List({data / "docs/a.txt", inside});
  EXPECT_FALSE(Make(archives / "x.zip"));
  EXPECT_EQ(desktop.MessageTexts().back(), "Archiving failed: the temp dir holds the target:\r\n" + inside.string());
  EXPECT_EQ(ReadBytes(inside), Bytes{'k'});

  targets.lines.Clear();
  List({data / "docs/a.txt"});
  EXPECT_FALSE(Make(temp / "sub/x.zip"));
  EXPECT_EQ(desktop.MessageTexts().back(),
            "Archiving failed: the temp dir holds the archive:\r\n" + (temp / "sub/x.zip").string());

  desktop.answers.push_back(DesktopAnswer::No);
  EXPECT_FALSE(MakeBackupArchive(desktop, &progress, targets, settings, CDynString("/x.zip")));
  EXPECT_EQ(ReadBytes(temp / "leftover.txt"), (Bytes{'o', 'l', 'd'}));

  // Through a link the temp dir still holds the target.
  fs::create_directory_symlink(temp, scratch.path / "link");
  EXPECT_FALSE(TempDirRefusal((scratch.path / "link").string(), {inside.string()}, "").empty());
  EXPECT_FALSE(TempDirRefusal("/", {}, "").empty());
  EXPECT_FALSE(TempDirRefusal(getenv("HOME"), {}, "").empty());
  EXPECT_TRUE(TempDirRefusal(temp.string(), {data.string(), (scratch.path / "qm temp2").string()}, "").empty());
}

TEST(BackupPaths, DirTreesAndMirrors) {
  ScratchDir scratch;
  EXPECT_TRUE(MakeDirTree((scratch / "a/b//c/").c_str()));
  EXPECT_EQ(GetPathKind((scratch / "a/b/c").c_str()), kPathDirectory);
  EXPECT_TRUE(MakeDirTree((scratch / "a").c_str()));
  WriteBytes(scratch / "file", Bytes{});
  EXPECT_FALSE(MakeDirTree((scratch / "file/sub").c_str()));
  EXPECT_FALSE(MakeDirTree(""));
  EXPECT_EQ(MirrorPath("/t/", "/home/u/a:b.txt"), "/t/home/u/a:b.txt");
  EXPECT_EQ(TempDirPrefix("/t"), "/t/");
  EXPECT_EQ(TempDirPrefix("/t/"), "/t/");
}
