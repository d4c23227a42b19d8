/*
 * FileHandle: a POSIX file descriptor with the path it belongs to, and the writability
 * probe that runs before a file is replaced or renamed. The probe never moves or changes what
 * it tests: replacing or renaming an entry needs write and search access to its directory
 * (tested with faccessat for the effective ids) and, in a sticky directory, owning the entry
 * or the directory; the final atomic rename is the real test. Only a probe that must also open
 * the file for writing (the wipe's) makes a read-only file writable, within a time-out,
 * pumping the desktop meanwhile.
 */
#pragma once

#include "base/CDynString.h"

class Desktop;

class FileHandle {
public:
    // The open descriptor, -1 when closed.
    int descriptor = -1;
    // The file's full path.
    CDynString path;

    FileHandle() = default;
    explicit FileHandle(const char* filePath);
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle();

    // Opens filePath (null: the handle's own path) read-only, or read-write creating it with
    // read and write permission and truncating it when asked. False if already open or the
    // open fails. The handle's path is not changed.
    bool Open(bool readOnly, bool truncate, const char* filePath = nullptr);
    // Creates filePath (null: the handle's own path) read-write with read and write
    // permission; fails if it exists already, so nothing is ever truncated.
    bool CreateNew(const char* filePath = nullptr);
    // Closes the descriptor if open.
    void Close();
    bool IsOpen() const { return descriptor != -1; }

    // The writability probe on probePath (null: the handle's own path): false (errno says
    // why) for "." and "..", a missing path, an entry its directory does not let this
    // process replace or rename, or (unless skipOpenTest, and not for directories) a file
    // that stays unwritable for timeoutMs or does not open read-write. A symbolic link is
    // probed as the link itself.
    bool WaitReplaceable(Desktop& desktop, bool skipOpenTest, int timeoutMs,
                         const char* probePath = nullptr);

private:
    // Opens filePath (null: path) with the given open flags unless already open.
    bool OpenWithFlags(const char* filePath, int flags);
};

// Renames from to to, failing (errno EEXIST) instead of replacing an existing to.
bool RenameNoReplace(const char* from, const char* to);
