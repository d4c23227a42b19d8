/*
 * FileIdentity: what makes a file still the one a run read. The device and inode say it is
 * the same file (not one an editor saved under the same name); the size and the modification
 * and status-change times, to the nanosecond, say nobody wrote to it, truncated it or changed
 * its mode, owner or links meanwhile. Taken from the descriptor the content is read through.
 */
#pragma once

#include <ctime>
#include <utility>

#include <sys/stat.h>

struct FileIdentity {
    // Which file: its file system and its inode there.
    dev_t device = 0;
    ino_t inode = 0;
    // Its length in bytes.
    off_t size = 0;
    // The last change of its content, and of its content or status (mode, owner, links).
    timespec modified {};
    timespec changed {};

    static FileIdentity Of(const struct stat& status)
    {
        return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    }
    // The same file, whatever happened to it: the key for "once per file".
    std::pair<dev_t, ino_t> File() const { return {device, inode}; }
    // The same file, untouched.
    bool Unchanged(const FileIdentity& now) const
    {
        return File() == now.File() && size == now.size && modified.tv_sec == now.modified.tv_sec &&
               modified.tv_nsec == now.modified.tv_nsec && changed.tv_sec == now.changed.tv_sec &&
               changed.tv_nsec == now.changed.tv_nsec;
    }
};
