// The backup archive before a run that may change files: the temp dir is emptied, every
// target is copied below it at its absolute path (its mirror path), and the external archiver
// packs the temp dir into the archive the user chose, zip or 7z by its extension; the archive
// is written under a temporary name beside it and renamed over it only when complete. The archiver
// is started without a shell and waited for; a failed start, a non-zero exit status or a
// missing archive is a failed backup, and then the run does not start.
#pragma once

#include <string>
#include <vector>

#include "base/CDynString.h"

class Desktop;
class Progress;
class TargetList;

// The file name of the archiver.
inline constexpr const char* kArchiverName = "7za";

// The archiver: the program's directory first, then every directory of searchPath (a PATH
// value). When found in neither, the path it would have in the program's directory.
CDynString FindArchiver(const std::string& programDir, const char* searchPath);

// Creates a directory with all its missing parents; whether it is a directory afterwards.
bool MakeDirTree(const char* path);

// The temp dir with one "/" at its end.
std::string TempDirPrefix(const std::string& tempDir);

// Where a target's copy lies: its absolute path below the temp dir prefix.
std::string MirrorPath(const std::string& tempPrefix, const std::string& target);

// The archiver's command line: the quoted archiver, "a", "-t" with the archive's extension,
// "--", the quoted archive path and the quoted temp dir prefix.
std::string BackupCommandLine(const std::string& archiverPath, const std::string& archivePath,
                              const std::string& tempPrefix);

// Why the temp dir may not be emptied ("/", the home directory or one above it, a directory
// that holds one of the targets or the archive), or an empty text when it may. archivePath may
// be empty.
std::string TempDirRefusal(const std::string& tempDir, const std::vector<std::string>& targets,
                           const std::string& archivePath);

// Deletes everything inside the temp dir (plain deletion, the directory itself stays) after
// TempDirRefusal allowed it; `refusal` receives the reason when it did not. Whether the
// directory is empty afterwards.
bool EmptyTempDir(Desktop& desktop, Progress* progress, const std::string& tempDir,
                  const std::vector<std::string>& targets, const std::string& archivePath,
                  std::string& refusal);

// What the backup works with.
struct BackupSettings {
  CDynString tempDir;       // the work directory emptied before every archiving
  CDynString archiverPath;  // full path of the archiver
};

// Why the archive may not be written at archivePath (it is one of the targets, or lies inside
// a target directory, by device and inode), or an empty text when it may.
std::string ArchiveRefusal(const std::string& archivePath, const std::vector<std::string>& targets);

// Makes the backup archive at archivePath from every item of the target list (normalised
// first); refuses an archive that is a target or lies inside one before anything else. Asks
// before the temp dir is emptied; every failure is shown as "Archiving failed: "
// and its reason. Returns true only when the archiver made the archive.
bool MakeBackupArchive(Desktop& desktop, Progress* progress, TargetList& targets,
                       const BackupSettings& settings, const CDynString& archivePath);
