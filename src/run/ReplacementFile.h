/*
 * ReplacementFile: the new content of a file being rewritten, written to a temporary file
 * "quillmendtmp" + number + ".wex" beside it and swapped in only when complete. The
 * temporary file is created exclusively (a collision draws another number), written with
 * every write checked, flushed to the disk, given the target's permission bits (and owner and
 * group where the process may set them) and then renamed onto the target in one atomic step.
 * Any failure leaves the target exactly as it was and removes the temporary file.
 *
 * A target that is a symbolic link is resolved first: the file it points to is rewritten
 * and the link stays a link.
 */
#pragma once

#include <string>
#include <string_view>

#include <sys/stat.h>

class ReplacementFile {
public:
    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // Removes a temporary file that was never committed.
    ~ReplacementFile();

    // Creates the temporary file beside the file target names (links resolved) and notes
    // the target's mode, owner and group; false when that cannot be done.
    bool Create(const std::string& target);
    // Appends bytes to the temporary file; a failure is remembered and makes Commit fail.
    void Write(std::string_view bytes);
    // Flushes the temporary file, gives it the target's mode and owner, and renames it onto
    // the target. False (the target untouched, the temporary file removed) on any failure.
    bool Commit();
    // Closes and removes the temporary file, if any.
    void Discard();

private:
    // The file whose content is replaced: the listed path with every link resolved.
    std::string targetPath_;
    // The temporary file's path; empty when none exists.
    std::string tempPath_;
    // The temporary file, open for writing; -1 when closed.
    int descriptor_ = -1;
    // Whether a write failed since Create.
    bool writeFailed_ = false;
    // The target's status when the temporary file was created (mode, owner, group).
    struct stat targetStatus_ {};
};
