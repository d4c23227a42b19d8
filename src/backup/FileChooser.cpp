// The file dialogs of the main window on the Desktop seam, and the state they keep.
#include "backup/FileChooser.h"

#include <vector>

#include "base/Desktop.h"
#include "base/Paths.h"
#include "targets/PathIndex.h"

namespace {

constexpr const char* kAllFilesFilter = "all files|*||";
constexpr const char* kArchiveFilter = "ZIP files(zip)|*.zip|7z files(7z)|*.7z||";

// Makes a confirmed path the last file and its directory the last directory. The process's
// current directory stays: relative paths given at the start must keep their meaning.
void RememberChoice(FileChooser& chooser, const std::string& path) {
  chooser.lastFile = CDynString(path);
  chooser.lastDirectory = CDynString(CutPath(path.c_str()).directory);
}

std::string TextOf(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

bool ChooseFiles(FileChooser& chooser, Desktop& desktop, bool openMode, const char* defaultExtension,
                 const char* filter, bool multiSelect, const char* initialDirectory, bool emptyListFirst,
                 CWexList<CDynString>* list) {
  CWexList<CDynString>& into = list != nullptr ? *list : chooser.chosenFiles;
  if (emptyListFirst) into.t_DeleteList();
  FileChooserRequest request;
  request.filter = TextOf(filter).empty() ? kAllFilesFilter : filter;
  request.defaultExtension = TextOf(defaultExtension);
  request.initialName = std::string(chooser.lastFile.View());
  request.initialDirectory = TextOf(initialDirectory).empty() ? std::string(chooser.lastDirectory.View())
                                                             : initialDirectory;
  request.multiSelect = openMode && multiSelect;
  std::vector<std::string> paths;
  if (openMode) {
    paths = desktop.ChooseOpenFiles(request);
  } else if (std::optional<std::string> path = desktop.ChooseSaveFile(request)) {
    paths.push_back(*path);
  }
  if (paths.empty()) return false;
  for (const std::string& path : paths) into.add(PathString(path));
  RememberChoice(chooser, paths.back());
  return true;
}

std::optional<std::string> ChooseArchive(FileChooser& chooser, Desktop& desktop, const CDynString& archiveDir) {
  FileChooserRequest request;
  request.filter = kArchiveFilter;
  request.defaultExtension = "zip";
  request.initialName = std::string(chooser.lastFile.View());
  request.initialDirectory = std::string(archiveDir.IsEmpty() ? chooser.lastDirectory.View() : archiveDir.View());
  std::optional<std::string> path = desktop.ChooseSaveFile(request);
  if (!path) return std::nullopt;
  chooser.chosenFiles.add(PathString(*path));
  RememberChoice(chooser, *path);
  return path;
}
