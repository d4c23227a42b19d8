// Emptying the temp dir: the wipe's plain deletion (no overwriting, no renaming) of everything
// inside it, the directory itself kept; links inside are removed themselves, never followed.
// The refusals come first, so neither a target nor the archive nor the user's own
// directories can go with it.
#include "backup/Backup.h"
#include "base/Paths.h"
#include "targets/FileWiper.h"

bool EmptyTempDir(Desktop& desktop, Progress* progress, const std::string& tempDir,
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
  FileWiper wiper(desktop);
  wiper.progress = progress;
  return wiper.Wipe(CDynString(tempDir), true, 0);
}
