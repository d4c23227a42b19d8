// The configuration page's checks, choosers and "empty!" button, and the sheet's Save, Load
// and Help, as functions the widgets call.
#include "settings/ConfigPage.h"

#include "backup/Backup.h"
#include "base/Desktop.h"

namespace {

constexpr const char* kFolderTitle = "Select a directory!";
constexpr const char* kParamFilter = "PAR files|*.par||";
constexpr std::uint32_t kLargestBufferSize = 1u << 30;  // 1 GiB

}  // namespace

std::string BufferOverlapProblem(std::uint32_t bufferSize, std::uint32_t overlap) {
  if (bufferSize <= overlap) return "Buffer size must be greater than overlap!";
  if (overlap == 0) return "Overlap must be greater than 0!";
  if (bufferSize > kLargestBufferSize) return "Buffer size must not be greater than 1 GiB (1073741824 bytes)!";
  return "";
}

CMainConfigPage1::CMainConfigPage1() {
  RegisterVar(registry, PersistentVar::kFixed, &bufferSize, sizeof bufferSize, "");
  RegisterVar(registry, PersistentVar::kFixed, &overlap, sizeof overlap, "");
  RegisterVar(registry, PersistentVar::kString, &tempDir, 0, "");
  RegisterVar(registry, PersistentVar::kString, &archiveDir, 0, "");
}

void CMainConfigPage1::VariablesToControls() {
  if (refreshControls) refreshControls();
}

bool CMainConfigPage1::OnOK(Desktop& desktop) {
  std::string problem = BufferOverlapProblem(bufferSize, overlap);
  if (problem.empty()) return true;
  desktop.Notice(problem);
  RestoreSnapshot(registry);
  return false;
}

void CMainConfigPage1::ChooseDir(Desktop& desktop, const FileChooser& chooser, CDynString& dir) {
  CDynString chosen = ChooseFolder(desktop, dir.GetText(), chooser.lastDirectory.GetText(), kFolderTitle, 400, 500);
  // Only a browser that could not be shown gives nothing; the value then stays as well.
  if (!chosen.IsEmpty()) dir = chosen;
  VariablesToControls();
}

void CMainConfigPage1::OnChooseTempDir(Desktop& desktop, const FileChooser& chooser) {
  ChooseDir(desktop, chooser, tempDir);
}

void CMainConfigPage1::OnChooseArchiveDir(Desktop& desktop, const FileChooser& chooser) {
  ChooseDir(desktop, chooser, archiveDir);
}

void CMainConfigPage1::OnEmptyTempDir(Desktop& desktop, Progress* progress,
                                      const std::vector<std::string>& targets) {
  std::string dir(tempDir.View());
  if (!desktop.AskYesNo("Delete content of \"" + dir + "\"?")) return;
  std::string refusal;
  if (EmptyTempDir(desktop, progress, dir, targets, "", refusal)) {
    desktop.Notice("Content deleted.");
  } else {
    std::string reason = refusal.empty() ? "" : "\n" + refusal;
    desktop.Notice("Failed to delete content! Please check why can't delete." + reason);
  }
}

bool SaveParamsTo(CMainConfigSheet& sheet, const std::string& path) {
  if (sheet.paramFile.IsOpen()) return false;
  if (!sheet.paramFile.Open(false, false, path.c_str())) return false;
  bool written = WriteParams(sheet, sheet.paramFile.descriptor);
  sheet.paramFile.Close();
  return written;
}

bool CheckLoadedSizes(CMainConfigPage1& page, Desktop& desktop, const std::string& path,
                      std::uint32_t bufferBefore, std::uint32_t overlapBefore) {
  std::string problem = BufferOverlapProblem(page.bufferSize, page.overlap);
  if (problem.empty()) return true;
  desktop.Notice("The read buffer size " + std::to_string(page.bufferSize) + " and the overlap " +
                 std::to_string(page.overlap) + " in \"" + path + "\" are refused:\n" + problem +
                 "\nThe values held before are kept.");
  page.bufferSize = bufferBefore;
  page.overlap = overlapBefore;
  return false;
}

bool LoadParamsFrom(CMainConfigSheet& sheet, Desktop& desktop, const std::string& path) {
  if (sheet.paramFile.IsOpen()) return false;
  if (!sheet.paramFile.Open(true, false, path.c_str())) return false;
  std::uint32_t bufferBefore = sheet.page.bufferSize;
  std::uint32_t overlapBefore = sheet.page.overlap;
  ReadParams(sheet, sheet.paramFile.descriptor);
  sheet.paramFile.Close();
  CheckLoadedSizes(sheet.page, desktop, path, bufferBefore, overlapBefore);
  return true;
}

void OnSaveParams(CMainConfigSheet& sheet, FileChooser& chooser, Desktop& desktop) {
  if (!ChooseFiles(chooser, desktop, false, "par", kParamFilter, false, nullptr, true)) return;
  SaveParamsTo(sheet, std::string(chooser.lastFile.View()));
}

void OnLoadParams(CMainConfigSheet& sheet, FileChooser& chooser, Desktop& desktop) {
  if (!ChooseFiles(chooser, desktop, true, nullptr, kParamFilter, false, nullptr, false)) return;
  LoadParamsFrom(sheet, desktop, std::string(chooser.lastFile.View()));
  sheet.page.VariablesToControls();
}

void OnConfigHelp(Desktop& desktop) { desktop.Beep(3333, 33); }
