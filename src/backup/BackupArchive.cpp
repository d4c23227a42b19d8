// MakeBackupArchive: empties the temp dir, builds the mirror tree of the targets in it (last
// target first, as the list is normalised), copies the files, runs the archiver and checks
// that it ended well and left the archive. Every failure stops with "Archiving failed: " and
// its reason, so the run is not started.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "backup/Backup.h"
#include "backup/ProcessRunner.h"
#include "base/Desktop.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "targets/TargetList.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFailed = "Archiving failed: ";

bool Fail(Desktop& desktop, const std::string& reason) {
  desktop.Notice(kFailed + reason);
  return false;
}

// Creates the mirror of one target: its directory, and for a file its copy.
bool MirrorTarget(Desktop& desktop, const std::string& tempPrefix, const std::string& target) {
  int kind = GetPathKind(target.c_str());
  std::string mirror = MirrorPath(tempPrefix, target);
  std::string dir = kind == kPathDirectory ? mirror : CutPath(mirror.c_str()).directory;
  if (!MakeDirTree(dir.c_str())) return Fail(desktop, "could not create temp dir:\r\n" + dir);
  if (kind != kPathFile) return true;
  std::error_code error;
  fs::copy_file(target, mirror, fs::copy_options::overwrite_existing, error);
  if (error) return Fail(desktop, "could not create temp file:\r\n" + mirror);
  return true;
}

bool RunAndCheck(Desktop& desktop, const std::string& commandLine, const std::string& archiverPath,
                 const std::string& archive) {
  ArchiverOutcome outcome = RunArchiver(commandLine);
  if (!outcome.started) return Fail(desktop, "could not start the archiver:\r\n" + archiverPath);
  if (outcome.exitStatus != 0) {
    return Fail(desktop, "the archiver ended with exit status " + std::to_string(outcome.exitStatus) + ".");
  }
  if (GetPathKind(archive.c_str()) != kPathFile) return Fail(desktop, "the archiver made no archive at:\r\n" + archive);
  return true;
}

}  // namespace

bool MakeBackupArchive(Desktop& desktop, Progress* progress, TargetList& targets,
                       const BackupSettings& settings, const CDynString& archivePath) {
  std::string tempDir(settings.tempDir.View());
  std::string prefix = TempDirPrefix(tempDir);
  std::string archive(archivePath.View());
  if (!desktop.AskYesNo("Now the content of your temp dir:\n\"" + prefix + "\"\nwill be deleted. Proceed?")) {
    return false;
  }
  std::string refusal;
  if (!EmptyTempDir(desktop, progress, tempDir, targets.Paths(), archive, refusal)) {
    return Fail(desktop, refusal.empty() ? "could not delete temp directory." : refusal);
  }
  // The archive is made anew: an old one would otherwise be updated, not replaced.
  if (GetPathKind(archive.c_str()) != kPathNothing && unlink(archive.c_str()) != 0) {
    return Fail(desktop, "could not delete the old archive:\r\n" + archive);
  }
  std::string commandLine = BackupCommandLine(std::string(settings.archiverPath.View()), archive, prefix);

  int count = static_cast<int>(targets.lines.Count());
  if (progress != nullptr) {
    progress->SetRange(0, count);
    progress->SetStep(1);
    progress->SetPosition(0);
  }
  targets.NormalizeTargets();
  for (size_t i = targets.lines.Count(); i-- > 0;) {
    if (!MirrorTarget(desktop, prefix, targets.lines.Line(i))) return false;
    if (progress != nullptr) progress->StepIt();
  }
  if (progress != nullptr) progress->SetPosition(count);
  return RunAndCheck(desktop, commandLine, std::string(settings.archiverPath.View()), archive);
}
