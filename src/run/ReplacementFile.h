/*
 * ReplacementFile: the new content of a file being rewritten, written to a temporary file
 * "quillmendtmp" + number + ".wex" beside it and swapped in only when complete. The
 * temporary file is created exclusively (a collision draws another number), written with
 * every write checked, flushed to the disk, given the target's owner and group, extended
 * attributes (the ACLs among them) and permission bits, and then renamed onto the target in
 * one atomic step - but only if the target is still the file that was read. Any failure
 * leaves the target exactly as it was and removes the temporary file; a termination signal
 * removes it too (SignalCleanup).
 *
 * A file owned by someone else is replaced only where its owner and group can be given back,
 * so replacing never hands a file to another user. A read-only file of the process's own is
 * replaced and stays read-only. A target that is a symbolic link is resolved first: the file
 * it points to is rewritten and the link stays a link.
 */
#pragma once

#include <string>
#include <string_view>

#include <sys/stat.h>

#include "run/FileIdentity.h"

// Flushes a directory so that a rename inside it is on the disk; failures do not matter (the
// rename is atomic either way; the flush only makes it last).
void SyncDirectory(const std::string& directory);

class ReplacementFile {
public:
    // How a commit ended.
    enum class Outcome {
        Ready,     // Prepare: the new file is complete and waits only for its rename
        Replaced,  // the target has the new content
        Changed,   // the target is no longer the file that was read: left alone
        Refused,   // a step failed (Reason says which and why): the target is as it was
    };

    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // Removes a temporary file that was never committed.
    ~ReplacementFile();

    // Creates the temporary file beside the file target names (links resolved); `opened` is
    // the status of the file as it was opened for reading. False (see Reason) when the
    // target may not be replaced or the temporary file cannot be made.
    bool Create(const std::string& target, const struct stat& opened);
    // Appends bytes to the temporary file; a failure is remembered and makes Prepare refuse.
    void Write(std::string_view bytes);
    // Flushes the temporary file (unless MarkFlushed), gives it the target's owner,
    // attributes and mode, closes it and checks that the target is still the file that was
    // read: Ready, Changed or Refused. Nothing of the target is touched yet.
    Outcome Prepare();
    // Renames the prepared file onto the target if that is still the file that was read: the
    // one step that changes a target. An undo journal notes the change before this. The
    // caller flushes Directory() afterwards.
    Outcome Swap();
    // Takes the target's status anew after the undo journal gave it another link, which moves
    // its status-change time: Swap checks against that. False (the temporary file removed)
    // when it is no longer the file that was read, with its content untouched.
    bool Relinked();
    // Gives up a prepared file whose change must not be made (why): removes it; Refused.
    Outcome Withdraw(const std::string& why);
    // Closes and removes the temporary file, if any.
    void Discard();
    // Flushes the whole file system the temporary file is on, and with it every other
    // temporary file of a batch there; false when that failed. Success also means that no
    // write-back on that file system failed since this file was opened, so it stands for
    // the flush of every temporary file opened later (MarkFlushed).
    bool SyncFileSystem() const;
    // Notes that a SyncFileSystem through a temporary file opened no later than this one,
    // after this one was written, succeeded: Prepare need not flush this file again.
    void MarkFlushed() { flushed_ = true; }
    // The device the target is on.
    dev_t Device() const { return targetStatus_.st_dev; }
    // The directory the new file was renamed in, to be flushed after Swap (SyncDirectory).
    std::string Directory() const;
    // Why Create, Prepare or Swap failed.
    const std::string& Reason() const { return failure_; }
    // The temporary file that takes the target's place; empty when none exists.
    const std::string& TemporaryPath() const { return tempPath_; }
    // The file that is replaced: the listed path with every link resolved (after Create).
    const std::string& Target() const { return targetPath_; }

private:
    // Notes the step that failed with errno's text, removes the temporary file; Refused.
    Outcome Refuse(const char* step);
    // Whether the target is still the file that was read; if not, notes that and removes
    // the temporary file.
    bool StillAsRead();
    // The same judged on the target's status `now` (found: the target exists).
    bool Unchanged(bool found, const struct stat& now);
    // Gives the temporary file the target's owner and group where they differ; false if not allowed.
    bool GiveOwner();

    // The file whose content is replaced: the listed path with every link resolved.
    std::string targetPath_;
    // The temporary file's path; empty when none exists.
    std::string tempPath_;
    // The temporary file, open for writing; -1 when closed.
    int descriptor_ = -1;
    // The temporary file's slot in the signal cleanup's registry; -1 when none.
    int cleanupSlot_ = -1;
    // Whether the content is known to be on the disk already (MarkFlushed).
    bool flushed_ = false;
    // The first failure since Create, as the report tells it; empty when all went well.
    std::string failure_;
    // The target as it was opened for reading: its mode, owner, group and identity.
    struct stat targetStatus_ {};
};
