/*
 * FileWiper: destroys files and directories. A file is overwritten from its start with fresh
 * random bytes once per round (each round flushed to the disk), renamed as many times to
 * random names of the same shape in its own directory, and deleted; a directory has its whole
 * content wiped that way first, deepest entries first, and is then renamed and removed. With
 * 0 rounds items are only deleted; with keep-root the listed directory itself stays, which is
 * how other layers empty a directory.
 *
 * Data safety: a symbolic link is removed itself and never written through or walked into;
 * a FIFO, socket or device is never opened (inside a wiped directory it is only unlinked, as
 * is a link to nothing, so that the directory can go); every write and flush is checked; a
 * random rename
 * never replaces an existing name (another random name is tried instead); and an item counts
 * as wiped only when its removal succeeded (or it was already gone).
 */
#pragma once

#include "base/CDynString.h"
#include "targets/CFileFinder.h"

class Desktop;
class Progress;

class FileWiper {
public:
    // Lists a directory's whole content; its advanced criteria are always off.
    CFileFinder finder;
    // True while a file is being overwritten; clearing it cancels the overwrite.
    bool wiping = false;
    // The main window's progress bar, or none.
    Progress* progress = nullptr;

    explicit FileWiper(Desktop& desktop);

    // Wipes a file, or a directory with everything below it (the directory itself stays when
    // keepRoot). True when everything that was to go has gone; a missing path is gone.
    bool Wipe(CDynString path, bool keepRoot, int rounds);
    // Overwrites, renames and deletes one file; per-block progress when showBlocks. False
    // when the file stays (not writable, a write failed, cancelled, not removable).
    bool WipeFile(int rounds, const CDynString& path, bool showBlocks);
    // Renames and removes one empty directory; false when it stays.
    bool WipeDirectory(int rounds, const CDynString& path);
    // Whether the directory holds no entry at all. A walk would miss what it cannot list or
    // never takes (special files, unreadable directories), and a directory renamed on that
    // belief would stay behind under a random name.
    bool IsEmptyDirectory(CDynString path);

private:
    // Overwrites the open file's `length` bytes `rounds` times; false on a failed write or
    // flush. A cancel ends it early with true.
    bool Overwrite(int descriptor, std::uint64_t length, int rounds, bool showBlocks);
    // Renames path to random names `rounds` times; path follows every rename that happened.
    void RenameRandomly(CDynString& path, int rounds);

    // Pumps pending window messages and answers the writability probe.
    Desktop& desktop_;
};
