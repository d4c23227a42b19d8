/*
 * UndoJournal: a journal read back holds every change with its exact paths (a change of a
 * batch that cannot be noted is left out alone), a journal cut short is refused, a batch stopped between
 * its renames is undone as far as it got, and only the newest records are kept, in a folder
 * only the owner reads.
 */
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "fakes/TempDir.h"
#include "run/UndoJournal.h"
#include "run/UndoRun.h"

TEST(UndoJournalTest, ReadsBackEveryChangeAndRefusesAJournalCutShort)
{
    TempDir dir;
    const std::string odd = dir / "a\tb%41\nc\r.txt";
    WriteFile(odd, "old");
    WriteFile(dir / "new", "new!");
    UndoJournal journal(dir / "undo", {"p\tq", "%r\n", "ni"});
    // A batch is noted entry by entry: one whose new file cannot be read is refused alone.
    const std::vector<std::string> noted = journal.NoteContents({{odd, dir / "new"}, {odd, dir / "missing"}});
    ASSERT_EQ(noted.size(), 2u);
    EXPECT_EQ(noted[0], "");
    EXPECT_EQ(noted[1], "cannot read the new file for the undo journal: No such file or directory");
    ASSERT_EQ(journal.NoteRename(odd, dir / "x%y", false), "");

    std::string why;
    const auto record = ReadUndoRecord(dir / "undo", journal.Id(), why);
    ASSERT_TRUE(record) << why;
    EXPECT_EQ(record->pattern, "p\tq");
    EXPECT_EQ(record->replacement, "%r\n");
    ASSERT_EQ(record->changes.size(), 2u);
    EXPECT_EQ(record->changes[0].from, odd);
    EXPECT_EQ(record->changes[0].size, 4);
    // The SHA-256 of "new!", as `sha256sum` prints it: records written before stay readable.
    EXPECT_EQ(record->changes[0].hash, "bdd1e524e5c90bee91a4f1ac4a087ca0012e36235ab24b5136d2a6388e7ad58b");
    EXPECT_EQ(ReadFile(dir / "undo/" + journal.Id() + "/" + record->changes[0].kept), "old");
    EXPECT_EQ(record->changes[1].to, dir / "x%y");
    EXPECT_EQ(record->undone, 0);

    const std::string path = dir / "undo/" + journal.Id() + "/journal";
    const std::string text = ReadFile(path);
    WriteFile(path, text.substr(0, text.size() - 1));
    EXPECT_FALSE(ReadUndoRecord(dir / "undo", journal.Id(), why));
    EXPECT_EQ(why, "the journal is cut short");
    WriteFile(path, text + "content\t/x\t../escape\t1\t2\t3\thash\n");
    EXPECT_FALSE(ReadUndoRecord(dir / "undo", journal.Id(), why));
}

TEST(UndoJournalTest, KeepsTheNewestRecordsInAPrivateFolder)
{
    TempDir dir;
    std::vector<std::string> made;
    for (std::size_t i = 0; i < kKeptRuns + 2; ++i) {
        UndoJournal journal(dir / "undo", {});
        ASSERT_EQ(journal.NoteRename(dir / "a", dir / "b", false), "");
        made.push_back(journal.Id());
    }
    EXPECT_EQ(UndoRecordIds(dir / "undo"), std::vector<std::string>(made.begin() + 2, made.end()));
    struct stat status {};
    ASSERT_EQ(stat((dir / "undo").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_TRUE(MarkUndone(dir / "undo", made.back()));
    std::string why;
    EXPECT_NE(ReadUndoRecord(dir / "undo", made.back(), why)->undone, 0);
}

TEST(UndoJournalTest, ABatchStoppedBetweenItsRenamesIsUndoneAsFarAsItGot)
{
    // A batch's lines are all on the disk before its first rename: after a stop between its
    // renames the journal names a change never made, which the undo passes over, whether the
    // originals were linked (same file system) or copied (the records in /dev/shm).
    TempDir dir;
    // Removed however the test ends, an ASSERT's early return included.
    const struct Elsewhere {
        std::string path = "/dev/shm/qm-undo-" + std::to_string(getpid());
        ~Elsewhere()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } elsewhere;
    std::vector<std::string> undoFolders = {dir / "undo"};
    struct stat here {}, there {};
    if (stat("/dev/shm", &there) == 0 && stat(dir.Path().c_str(), &here) == 0 && here.st_dev != there.st_dev)
        undoFolders.push_back(elsewhere.path);
    for (const std::string& undo : undoFolders) {
        SCOPED_TRACE(undo);
        for (const std::string name : {"a", "b"}) {
            WriteFile(dir / name, "old " + name);
            WriteFile(dir / (name + ".new"), "new " + name);
        }
        {
            UndoJournal journal(undo, {});
            ASSERT_EQ(journal.NoteContents({{dir / "a", dir / "a.new"}, {dir / "b", dir / "b.new"}}),
                      std::vector<std::string>(2));
        }
        ASSERT_EQ(rename((dir / "a.new").c_str(), (dir / "a").c_str()), 0);
        std::string why;
        const auto record = FindUndoRecord(undo, "", why);
        ASSERT_TRUE(record) << why;
        const UndoOutcome outcome = UndoChanges(undo, *record);
        EXPECT_EQ(outcome.restored, 1);
        EXPECT_TRUE(outcome.leftAlone.empty());
        EXPECT_EQ(ReadFile(dir / "a") + ReadFile(dir / "b"), "old aold b");
    }
}
