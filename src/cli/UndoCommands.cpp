/*
 * UndoCommands: the listing of the kept runs and the undo with its question and report.
 */
#include "cli/UndoCommands.h"

#include <cstdio>
#include <ctime>

#include "base/Desktop.h"
#include "cli/TerminalText.h"
#include "run/UndoRun.h"

namespace {

// A record's time as local "YYYY-MM-DD HH:MM:SS".
std::string LocalTime(std::time_t time)
{
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&time));
    return text;
}

// One line of --runs.
std::string RunLine(const UndoRecord& record)
{
    int files = 0;
    for (const UndoChange& change : record.changes) files += change.kind == UndoChange::Kind::Content;
    const int names = static_cast<int>(record.changes.size()) - files;
    return record.id + "  " + LocalTime(record.time) + "  \"" + record.pattern + "\" -> \"" + record.replacement +
           "\"  " + std::to_string(files) + " files, " + std::to_string(names) + " names" +
           (record.undone != 0 ? ", undone" : "");
}

}  // namespace

int ListRuns(const std::string& undoDirectory)
{
    const std::vector<std::string> ids = UndoRecordIds(undoDirectory);
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        std::string why;
        if (const std::optional<UndoRecord> record = ReadUndoRecord(undoDirectory, *it, why))
            std::printf("%s\n", EscapeForTerminal(RunLine(*record)).c_str());
        else
            std::fprintf(stderr, "qmend: run %s: %s\n", EscapeForTerminal(*it).c_str(), why.c_str());
    }
    return ids.empty() ? 1 : 0;
}

int UndoRunCommand(const std::string& undoDirectory, const std::string& id, Desktop& desktop)
{
    std::string why;
    const std::optional<UndoRecord> record = FindUndoRecord(undoDirectory, id, why);
    if (!record) {
        std::fprintf(stderr, "qmend: %s\n", EscapeForTerminal(why).c_str());
        return 2;
    }
    if (!desktop.AskYesNo("Undo " + std::to_string(record->changes.size()) + " changes of " + record->id + "?"))
        return 1;
    const UndoOutcome outcome = UndoChanges(undoDirectory, *record);
    for (const RunNote& note : outcome.leftAlone)
        std::fprintf(stderr, "qmend: %s: left alone: %s\n", EscapeForTerminal(note.path).c_str(),
                     EscapeForTerminal(note.reason).c_str());
    if (outcome.unmarked) std::fprintf(stderr, "qmend: run %s could not be marked undone\n", record->id.c_str());
    std::fprintf(stderr, "qmend: undid %d changes of %s; %zu targets left alone\n", outcome.restored,
                 record->id.c_str(), outcome.leftAlone.size());
    return outcome.leftAlone.empty() ? 0 : 3;
}
