// The start-up sequence. The configuration file is read when it exists as a file and created
// with the defaults otherwise (never over something that is there but not a regular file);
// loaded buffer and overlap values outside the allowed range are refused. Then each work
// directory that does not exist makes the default one be created, with messages that name
// the stored value when the configuration file was loaded.
#include "settings/Startup.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>

#include "backup/Backup.h"
#include "base/Desktop.h"
#include "base/LineList.h"
#include "base/Paths.h"
#include "settings/ConfigPage.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string Quoted(const CDynString& text) {
  std::string quoted(1, '"');
  quoted.append(text.View());
  quoted += '"';
  return quoted;
}

void ReadConfig(Desktop& desktop, CMainConfigSheet& sheet, StartupState& state) {
  std::string path(state.configFile.View());
  state.configLoaded = true;
  if (!sheet.paramFile.Open(true, false, path.c_str())) return;
  ReadPageParams(sheet.page.registry, sheet.paramFile.descriptor);
  sheet.paramFile.Close();
  CheckLoadedSizes(sheet.page, desktop, path, kConfigDefaultBufferSize, kConfigDefaultOverlap);
}

void CreateConfig(Desktop& desktop, CMainConfigSheet& sheet, const StartupState& state) {
  if (sheet.paramFile.IsOpen()) return;
  std::string path(state.configFile.View());
  // Exclusive: a name that is there but not a regular file is never written through.
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  bool written = fd >= 0 && WriteParams(sheet, fd);
  if (fd >= 0 && close(fd) != 0) written = false;
  if (written) {
    desktop.Notice("A new config file \n" + Quoted(state.configFile) + "\n has succesfully created.");
  } else {
    desktop.Notice("Error! Could not create new config file \n" + Quoted(state.configFile) + "!");
  }
}

// The check of one work directory; `what` is "temp" or "archive".
void CheckWorkDir(Desktop& desktop, const CDynString& dir, const CDynString& defaultDir, bool configLoaded,
                  const std::string& what) {
  if (GetPathKind(dir.GetText()) == kPathDirectory) return;
  if (GetPathKind(defaultDir.GetText()) == kPathDirectory) return;
  std::string message = configLoaded ? "The " + what + " dir " + Quoted(dir) + " does not exist.\n\n" : "";
  if (MakeDirTree(defaultDir.GetText())) {
    desktop.Notice(message + "A new " + what + " dir \n" + Quoted(defaultDir) + "\n has succesfully created.");
  } else {
    desktop.Notice(message + "Could not create default " + what + " dir " + Quoted(defaultDir) +
                   "!\nPlease choose an existing one in \"Config\"!");
  }
}

}  // namespace

const std::vector<std::string>& WelcomeLines() {
  static const std::vector<std::string> lines = {
      std::string(46, ' ') + "Welcome to Quillmend!",
      std::string(34, ' ') + "a freeware interactive text search/replace utility",
      std::string(34, ' ') + "To see more details and usage terms see About.",
      "",
      "Version history:",
      "2.43:",
      " -configuration sheet: the temp dir can be emptied with one click",
      " -backup archive: the archive type follows the chosen extension (zip or 7z)",
      " -report file: every run re-creates it",
      " -fewer flickers while a long run is shown",
      "",
      "2.42:",
      " -wipe: up to two rounds of random data before deletion",
      " -target list: paste of paths separated by tabs or line ends",
      " -faster expansion of large directory trees",
      "",
      "2.41:",
      " -expansion by size and by creation, modification or access date",
      " -\"exact match\" for the file/dir pattern",
      " -empty and zero-size directories can be kept",
      "",
      "2.40:",
      " -search and replace in file and directory names",
      " -pattern options: ignore case, multiline, dot includes newline, extended",
      " -\"whole word in content\"",
      " -distinct found texts at the end of the report",
      "",
      "2.30:",
      " -read buffer with overlap: matches across chunk boundaries are found once",
      " -buffer size and overlap in the configuration sheet",
      " -configuration saved to and loaded from parameter files",
      "",
      "2.20:",
      " -backup archive of all targets before replacing",
      " -temp and archive dirs created at first start",
      " -missing archiver reported at start",
      "",
      "2.10:",
      " -\"Process all !\" takes every further occurrence without asking",
      " -\"Skip this file\" and \"Cancel! (skip all)\"",
      "",
      "2.03:",
      " -substitution strings with case conversion",
      " -fixed: a match at the very end of a file was not shown",
      "",
      "2.02:",
      " -first public version",
      " -regular expressions with Perl-style syntax",
  };
  return lines;
}

const char* PatternTooltipText() {
  return "[Expand!] will keep only file/dir names (without path) which contain or equal to this regexp.\r\n"
         "E.g.:\r\n\r\n"
         "{10,}            file/dir names contain at least 10 chars (with extension)\r\n"
         "\\.(cpp|h)$    C++ source files\r\n"
         "^base          file/dir names begin with \"base\"\r\n"
         "^[^ab]+$    file/dir names contain NO a,b letters";
}

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string directory = CutPath(std::string(buffer, static_cast<size_t>(n)).c_str()).directory;
  return directory.empty() ? "/" : directory;
}

StartupEnvironment CurrentEnvironment(const std::string& programDir) {
  StartupEnvironment environment;
  environment.programDir = programDir;
  environment.dataHome = Env("XDG_DATA_HOME");
  environment.home = HomeDirectory();
  environment.searchPath = Env("PATH");
  return environment;
}

std::string WorkBaseDirectory(const StartupEnvironment& environment) {
  // An installed program (below /usr or /opt) never writes beside itself, even when the user
  // (root) may: a package's directory holds only the package's own files.
  const std::string& dir = environment.programDir;
  const bool installed = dir.starts_with("/usr/") || dir.starts_with("/opt/");
  if (!installed && access(dir.c_str(), W_OK) == 0) return dir;
  std::string dataHome = environment.dataHome;
  if (dataHome.empty() || dataHome.front() != '/') dataHome = environment.home + "/.local/share";
  return dataHome + "/quillmend";
}

StartupState RunStartup(Desktop& desktop, CMainConfigSheet& sheet, LineList& report,
                        const StartupEnvironment& environment) {
  for (const std::string& line : WelcomeLines()) report.Append(line);

  std::string base = WorkBaseDirectory(environment);
  if (base != environment.programDir) MakeDirTree(base.c_str());
  StartupState state;
  state.defaultTempDir = CDynString(base + "/qmend_temp");
  state.defaultArchiveDir = CDynString(base + "/qmend_arch");
  state.configFile = CDynString(base + "/" + kConfigFileName);
  CMainConfigPage1& page = sheet.page;
  page.tempDir = state.defaultTempDir;
  page.archiveDir = state.defaultArchiveDir;
  page.reportFilePath = CDynString(base + "/qmend_arch/report.txt");

  if (GetPathKind(state.configFile.GetText()) == kPathFile) {
    ReadConfig(desktop, sheet, state);
  } else {
    CreateConfig(desktop, sheet, state);
  }
  CheckWorkDir(desktop, page.tempDir, state.defaultTempDir, state.configLoaded, "temp");
  CheckWorkDir(desktop, page.archiveDir, state.defaultArchiveDir, state.configLoaded, "archive");

  state.archiverPath = FindArchiver(environment.programDir, environment.searchPath.c_str());
  if (environment.warnMissingArchiver && GetPathKind(state.archiverPath.GetText()) != kPathFile) {
    desktop.Notice(std::string("Warning! Missing \"") + kArchiverName +
                   "\" from the program's dir.\nPlease copy that there!");
  }
  return state;
}
