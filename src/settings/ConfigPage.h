// The configuration values of a run that do not live on the work pages (read buffer size,
// overlap, temp dir, archive dir, report file), the page that edits them with its checks and
// choosers, and the configuration sheet with its Save, Load and Help. The four persisted
// values are registered in the page's registry in that order; the report file is not.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backup/FileChooser.h"
#include "base/CDynString.h"
#include "base/FileHandle.h"
#include "settings/PersistentVar.h"

class Desktop;
class Progress;

inline constexpr std::uint32_t kConfigDefaultBufferSize = 65536;
inline constexpr std::uint32_t kConfigDefaultOverlap = 512;

// Why a buffer size and overlap may not be used (0 < overlap < buffer size <= 1 GiB), or an
// empty text when they may.
std::string BufferOverlapProblem(std::uint32_t bufferSize, std::uint32_t overlap);

// The page "Search/Replace settings".
class CMainConfigPage1 : public PersistentPage {
 public:
  // Sets the two numbers to their defaults and registers the four persisted values.
  CMainConfigPage1();
  CMainConfigPage1(const CMainConfigPage1&) = delete;
  CMainConfigPage1& operator=(const CMainConfigPage1&) = delete;

  VarRegistry& Registry() override { return registry; }
  void VariablesToControls() override;

  // OK of the sheet: true when the values are accepted; otherwise the problem is shown and
  // the registered values go back to the snapshot taken when the sheet opened.
  bool OnOK(Desktop& desktop);
  // "temp dir:" and "archive dir:": the folder browser, starting at the current value or at
  // the chooser's last directory. Cancel keeps the value; then the controls are refreshed.
  void OnChooseTempDir(Desktop& desktop, const FileChooser& chooser);
  void OnChooseArchiveDir(Desktop& desktop, const FileChooser& chooser);
  // "empty!": asks, then deletes the temp dir's content (never "/", the home directory or a
  // directory holding one of the given targets) and tells the result.
  void OnEmptyTempDir(Desktop& desktop, Progress* progress, const std::vector<std::string>& targets);

  std::uint32_t bufferSize = kConfigDefaultBufferSize;  // "read buffer size in bytes:"
  std::uint32_t overlap = kConfigDefaultOverlap;        // "overlap in bytes:"
  CDynString tempDir;                             // "temp dir:", emptied before every archiving
  CDynString archiveDir;                          // "archive dir:", where the archive dialog starts
  CDynString reportFilePath;                      // "Reportfile", reset at every start
  VarRegistry registry;                           // the four persisted values above
  std::function<void()> refreshControls;          // moves the values into the widgets, when shown

 private:
  void ChooseDir(Desktop& desktop, const FileChooser& chooser, CDynString& dir);
};

// The sheet "Main preset dialog" with its one page.
class CMainConfigSheet : public PropertySheet {
 public:
  CMainConfigSheet() { pages.push_back(&page); }
  CMainConfigSheet(const CMainConfigSheet&) = delete;
  CMainConfigSheet& operator=(const CMainConfigSheet&) = delete;

  CMainConfigPage1 page;  // "Search/Replace settings"
  FileHandle paramFile;   // open only during one Save, Load or start-up read
};

// Writes the sheet's values into a parameter file, created when missing and not truncated (a
// longer old file keeps its tail, which no reader reaches). False when it cannot be opened or
// written, or the parameter file handle is busy.
bool SaveParamsTo(CMainConfigSheet& sheet, const std::string& path);

// Reads a parameter file into the sheet. Loaded buffer and overlap values that may not be used
// are refused with a message and the values held before stay. False when it cannot be opened.
bool LoadParamsFrom(CMainConfigSheet& sheet, Desktop& desktop, const std::string& path);

// Refuses a loaded buffer size and overlap that may not be used: shows why, naming the file,
// and puts back the values held before. Returns whether the loaded values were kept.
bool CheckLoadedSizes(CMainConfigPage1& page, Desktop& desktop, const std::string& path,
                      std::uint32_t bufferBefore, std::uint32_t overlapBefore);

// "Save": a save dialog for a parameter file, then SaveParamsTo; failures are silent.
void OnSaveParams(CMainConfigSheet& sheet, FileChooser& chooser, Desktop& desktop);
// "Load": an open dialog for a parameter file, then LoadParamsFrom and a refresh.
void OnLoadParams(CMainConfigSheet& sheet, FileChooser& chooser, Desktop& desktop);
// The sheet's Help command and the help request only beep.
void OnConfigHelp(Desktop& desktop);
