// Emptying the temp dir: plain deletion of everything inside it, the directory itself kept.
// Links inside are removed themselves, never followed. The refusals come first, so neither a
// target nor the archive nor the user's own directories can go with it.
#include <filesystem>
#include <system_error>

#include "backup/Backup.h"
#include "base/Paths.h"
#include "base/Progress.h"

namespace fs = std::filesystem;

bool EmptyTempDir(Desktop& /*desktop*/, Progress* progress, const std::string& tempDir,
                  const std::vector<std::string>& targets, const std::string& archivePath,
                  std::string& refusal) {
  refusal.clear();
  int kind = GetPathKind(tempDir.c_str());
  if (kind == kPathNothing) return true;
  if (kind != kPathDirectory) {
    refusal = "the temp dir \"" + tempDir + "\" is not a directory.";
    return false;
  }
  refusal = TempDirRefusal(tempDir, targets, archivePath);
  if (!refusal.empty()) return false;

  std::error_code error;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(tempDir, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) return false;
  if (progress != nullptr) {
    progress->SetRange(0, static_cast<int>(entries.size()));
    progress->SetStep(1);
    progress->SetPosition(0);
  }
  bool allGone = true;
  for (const fs::path& entry : entries) {
    fs::remove_all(entry, error);
    allGone = allGone && !error;
    if (progress != nullptr) progress->StepIt();
  }
  return allGone && fs::is_empty(tempDir, error) && !error;
}
