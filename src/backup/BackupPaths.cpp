// The path work of the backup: finding the archiver, the directory tree, mirror paths, the
// archiver's command line, and the check that keeps the emptying of the temp dir away from
// the targets, the archive and the user's own directories.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "backup/Backup.h"
#include "backup/CommandLine.h"
#include "base/Paths.h"
#include "targets/TargetOverlap.h"

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const std::string& path) {
  return GetPathKind(path.c_str()) == kPathFile && access(path.c_str(), X_OK) == 0;
}

}  // namespace

CDynString FindArchiver(const std::string& programDir, const char* searchPath) {
  std::string inProgramDir = programDir + (programDir.ends_with('/') ? "" : "/") + kArchiverName;
  if (IsExecutableFile(inProgramDir)) return CDynString(inProgramDir);
  std::string dirs = searchPath != nullptr ? searchPath : "";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && dir.front() == '/') {
      std::string candidate = dir + "/" + kArchiverName;
      if (IsExecutableFile(candidate)) return CDynString(candidate);
    }
    start = end + 1;
  }
  return CDynString(inProgramDir);
}

bool MakeDirTree(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::error_code error;
  fs::create_directories(fs::path(path), error);
  return GetPathKind(path) == kPathDirectory;
}

std::string TempDirPrefix(const std::string& tempDir) {
  return tempDir.ends_with('/') ? tempDir : tempDir + "/";
}

std::string MirrorPath(const std::string& tempPrefix, const std::string& target) {
  size_t skip = target.find_first_not_of('/');
  return skip == std::string::npos ? tempPrefix : tempPrefix + target.substr(skip);
}

std::string BackupCommandLine(const std::string& archiverPath, const std::string& archivePath,
                              const std::string& tempPrefix) {
  std::string extension = CutPath(archivePath.c_str()).extension;
  return QuoteArgument(archiverPath) + " a " + QuoteArgumentIfNeeded("-t" + extension) + " -- " +
         QuoteArgument(archivePath) + " " + QuoteArgument(tempPrefix);
}

std::string TempDirRefusal(const std::string& tempDir, const std::vector<std::string>& targets,
                           const std::string& archivePath) {
  const std::string temp = ResolvedPath(tempDir, true);
  const std::string home = HomeDirectory();
  if (temp == "/" || (!home.empty() && IsWithin(ResolvedPath(home, true), temp))) {
    return "the temp dir \"" + tempDir + "\" is the root or holds the home directory.";
  }
  // A listed link is refused both where it lies and where it points: emptying would delete
  // the file the run is about to change, without an archived copy.
  for (const std::string& target : targets) {
    if (IsWithin(ResolvedPath(target, false), temp) || IsWithin(ResolvedPath(target, true), temp)) {
      return "the temp dir holds the target:\r\n" + target;
    }
  }
  // A temp dir inside a target directory is the user's data: emptying it would delete files
  // of the target.
  if (const std::string holder = TargetHolding(tempDir, targets); !holder.empty()) {
    return "the temp dir lies inside the target:\r\n" + holder;
  }
  if (!archivePath.empty() && IsWithin(ResolvedPath(archivePath, false), temp)) {
    return "the temp dir holds the archive:\r\n" + archivePath;
  }
  return "";
}
