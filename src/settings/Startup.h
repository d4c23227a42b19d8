// The start-up sequence of the main window from the welcome text on: the welcome lines in the
// report list, the pattern field's tooltip, the default paths, reading or creating the
// configuration file "qmend.par", the checks of the temp and archive dirs and the warning
// about a missing archiver. Every failure ends in a message and never stops the start.
#pragma once

#include <string>
#include <vector>

#include "base/CDynString.h"

class Desktop;
class LineList;
class CMainConfigSheet;

// The name of the configuration file.
inline constexpr const char* kConfigFileName = "qmend.par";

// The lines of the welcome text, as they go into the report list.
const std::vector<std::string>& WelcomeLines();

// The tooltip of the file/dir pattern field of the target list page.
const char* PatternTooltipText();

// Where the program runs.
struct StartupEnvironment {
  std::string programDir;     // directory of the running executable, no trailing "/"
  std::string dataHome;       // $XDG_DATA_HOME, empty when unset
  std::string home;           // $HOME
  std::string searchPath;     // $PATH, where the archiver is looked for after programDir
  bool warnMissingArchiver = true;  // show the warning when the archiver is not found
};

// The environment of this process for a program in programDir.
StartupEnvironment CurrentEnvironment(const std::string& programDir);

// The directory of the running executable.
std::string ExecutableDirectory();

// The directory that holds "qmend.par", "qmend_temp" and "qmend_arch": the program's directory
// when it is writable and not an installed one (below /usr or /opt), else
// $XDG_DATA_HOME/quillmend (default ~/.local/share/quillmend).
std::string WorkBaseDirectory(const StartupEnvironment& environment);

// What the start-up found out.
struct StartupState {
  CDynString configFile;         // the configuration file's full path
  bool configLoaded = false;     // it existed as a file at start-up
  CDynString defaultTempDir;     // base directory + "/qmend_temp"
  CDynString defaultArchiveDir;  // base directory + "/qmend_arch"
  CDynString archiverPath;       // the archiver found, or where it should be
};

// Runs the start-up: appends the welcome lines to `report`, sets the page's paths to their
// defaults, reads or creates the configuration file, checks the work directories and the
// archiver, and tells the user through `desktop` what it did.
StartupState RunStartup(Desktop& desktop, CMainConfigSheet& sheet, LineList& report,
                        const StartupEnvironment& environment);
