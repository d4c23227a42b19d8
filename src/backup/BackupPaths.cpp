// The path work of the backup: finding the archiver, the directory tree, mirror paths, the
// archiver's command line, and the check that keeps the emptying of the temp dir away from
// the targets, the archive and the user's own directories.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "backup/Backup.h"
#include "backup/CommandLine.h"
#include "base/Paths.h"

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const std::string& path) {
  return GetPathKind(path.c_str()) == kPathFile && access(path.c_str(), X_OK) == 0;
}

// The path with every link resolved, as far as it exists; the last component itself is not
// followed, so a listed link stands for itself (the emptying removes a link, never its target).
fs::path ResolvedParent(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error).lexically_normal();
  if (absolute.has_filename()) {
    return fs::weakly_canonical(absolute.parent_path(), error) / absolute.filename();
  }
  return fs::weakly_canonical(absolute, error);
}

fs::path Resolved(const std::string& path) {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::absolute(fs::path(path), error), error);
  std::string text = resolved.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return fs::path(text);
}

// Whether `inner` is `outer` or lies below it.
bool IsWithin(const fs::path& inner, const fs::path& outer) {
  const std::string& in = inner.native();
  const std::string& out = outer.native();
  if (in.compare(0, out.size(), out) != 0) return false;
  return in.size() == out.size() || out == "/" || in[out.size()] == '/';
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
  fs::path temp = Resolved(tempDir);
  std::string home = HomeDirectory();
  if (temp == "/" || (!home.empty() && IsWithin(Resolved(home), temp))) {
    return "the temp dir \"" + tempDir + "\" is the root or holds the home directory.";
  }
  for (const std::string& target : targets) {
    if (IsWithin(ResolvedParent(target), temp)) return "the temp dir holds the target:\r\n" + target;
  }
  if (!archivePath.empty() && IsWithin(ResolvedParent(archivePath), temp)) {
    return "the temp dir holds the archive:\r\n" + archivePath;
  }
  return "";
}
