// The main window's file dialog state and the dialogs that use it: ChooseFiles for Save and
// Load of parameter files, ChooseArchive for the backup archive before a run. Both remember
// the last file and its directory and collect the chosen paths; they never change the
// process's current directory. The dialogs themselves go through the Desktop seam.
#pragma once

#include <optional>
#include <string>

#include "base/CDynString.h"
#include "base/CWexList.h"

class Desktop;

// What the file dialogs of the main window remember.
struct FileChooser {
  CDynString lastDirectory;          // directory of the last chosen file (lastArchiveDir)
  CDynString lastFile;               // the last chosen file (lastArchivePath)
  CWexList<CDynString> chosenFiles;  // every path chosen, no duplicates (archiveNames)
};

// Shows an open or save dialog. The filter is in '|'-separated form ("all files|*||" when
// null or empty); the initial name is the last chosen file, the initial directory the one
// given or else the last one. A confirmed choice is appended to `list` (the chooser's own
// list when null; emptied first when asked); the last directory and the last file then
// follow the last path chosen. Returns whether the user confirmed.
bool ChooseFiles(FileChooser& chooser, Desktop& desktop, bool openMode, const char* defaultExtension,
                 const char* filter, bool multiSelect, const char* initialDirectory, bool emptyListFirst,
                 CWexList<CDynString>* list = nullptr);

// The archive dialog before a backup: a save dialog for zip or 7z files starting in
// archiveDir (or the last directory when that is empty) with the last file as its name. A
// confirmed path is added to the chosen files, becomes the last file and its directory the
// last directory. Returns the path, or nothing when cancelled.
std::optional<std::string> ChooseArchive(FileChooser& chooser, Desktop& desktop, const CDynString& archiveDir);
