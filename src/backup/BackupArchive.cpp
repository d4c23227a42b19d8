// MakeBackupArchive: refuses an archive that is a target or lies inside one, empties the temp
// dir, builds the mirror tree of the targets in it (last target first, as the list is
// normalised), copies the files, and has the archiver write the archive into a private
// directory beside the chosen path. Only a complete archive is renamed over that path, so
// whatever was there stays until the new archive exists. Every failure stops with "Archiving
// failed: " and its reason, so the run is not started.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "backup/Backup.h"
#include "backup/ProcessRunner.h"
#include "base/Desktop.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "targets/TargetList.h"
#include "targets/TargetOverlap.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFailed = "Archiving failed: ";
// The private directory beside the archive that the archiver writes into (mkdtemp template).
constexpr const char* kWorkDirTemplate = ".qmend-archive-XXXXXX";

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

// Runs the archiver, handling the window's messages while it works, and checks that it ended well and left `written`; failures name `archive`,
// the path the user chose.
bool RunAndCheck(Desktop& desktop, const std::string& commandLine, const std::string& archiverPath,
                 const std::string& written, const std::string& archive) {
  ArchiverOutcome outcome = RunArchiver(commandLine, [&desktop] { desktop.PumpMessages(); });
  if (!outcome.started) return Fail(desktop, "could not start the archiver:\r\n" + archiverPath);
  if (outcome.exitStatus != 0) {
    return Fail(desktop, "the archiver ended with exit status " + std::to_string(outcome.exitStatus) + ".");
  }
  if (GetPathKind(written.c_str()) != kPathFile) return Fail(desktop, "the archiver made no archive at:\r\n" + archive);
  return true;
}

// Packs the temp dir into a fresh archive beside `archive` and renames it over `archive` once
// it is complete. The private directory is removed in every case.
bool PackBeside(Desktop& desktop, const std::string& archiverPath, const std::string& archive,
                const std::string& tempPrefix) {
  const PathParts parts = CutPath(archive.c_str());
  std::string workDir = (fs::path(parts.directory) / kWorkDirTemplate).string();
  if (mkdtemp(workDir.data()) == nullptr) {
    return Fail(desktop, "could not create a temporary archive beside:\r\n" + archive);
  }
  const std::string written = workDir + "/" + parts.name;
  bool made = RunAndCheck(desktop, BackupCommandLine(archiverPath, written, tempPrefix), archiverPath, written, archive);
  if (made && std::rename(written.c_str(), archive.c_str()) != 0) {
    made = Fail(desktop, "could not move the archive to:\r\n" + archive);
  }
  std::error_code error;
  fs::remove_all(workDir, error);
  return made;
}

}  // namespace

std::string ArchiveRefusal(const std::string& archivePath, const std::vector<std::string>& targets) {
  const std::string target = TargetHolding(archivePath, targets);
  return target.empty() ? "" : "the archive is one of the targets or lies inside one:\r\n" + target;
}

bool MakeBackupArchive(Desktop& desktop, Progress* progress, TargetList& targets,
                       const BackupSettings& settings, const CDynString& archivePath) {
  std::string tempDir(settings.tempDir.View());
  std::string prefix = TempDirPrefix(tempDir);
  std::string archive(archivePath.View());
  targets.NormalizeTargets();
  if (std::string refusal = ArchiveRefusal(archive, targets.Paths()); !refusal.empty()) return Fail(desktop, refusal);
  if (!desktop.AskYesNo("Now the content of your temp dir:\n\"" + prefix + "\"\nwill be deleted. Proceed?")) {
    return false;
  }
  std::string refusal;
  if (!EmptyTempDir(desktop, progress, tempDir, targets.Paths(), archive, refusal)) {
    return Fail(desktop, refusal.empty() ? "could not delete temp directory." : refusal);
  }
  int count = static_cast<int>(targets.lines.Count());
  if (progress != nullptr) {
    progress->SetRange(0, count);
    progress->SetStep(1);
    progress->SetPosition(0);
  }
  for (size_t i = targets.lines.Count(); i-- > 0;) {
    if (!MirrorTarget(desktop, prefix, targets.lines.Line(i))) return false;
    if (progress != nullptr) progress->StepIt();
    desktop.PumpMessages();
  }
  if (progress != nullptr) progress->SetPosition(count);
  return PackBeside(desktop, std::string(settings.archiverPath.View()), archive, prefix);
}
