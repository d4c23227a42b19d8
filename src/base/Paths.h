/*
 * Path toolkit on top of CDynString and the file system: cutting a path into parts,
 * classifying it, making it absolute, trimming separators, random renaming and the current
 * directory. Paths are POSIX paths kept byte for byte: only "/" separates, there is no drive
 * part (the field stays for callers and is always empty), the root is "/" and stays "/" when
 * trailing separators are cut, and no length limit applies beyond the system's own. The
 * program never changes its current directory, so a relative path always means what it
 * meant when the program started.
 */
#pragma once

#include <sys/stat.h>

#include <string>

#include "base/CDynString.h"

// A path cut into its parts.
struct PathParts {
    // Always empty: POSIX paths have no drive part.
    std::string drive;
    // Everything before the last component, trailing separators removed ("/" for the root).
    std::string directory;
    // The last component without its extension.
    std::string baseName;
    // The last component (base name and extension).
    std::string name;
    // The text after the last dot of the last component, without the dot; empty if none.
    // A leading dot (a hidden file's) belongs to the base name.
    std::string extension;
};

// The kinds GetPathKind returns.
inline constexpr int kPathNothing = 0;
inline constexpr int kPathFile = 1;
inline constexpr int kPathDirectory = 2;

// Cuts trailing "\", CR, LF and TAB (and "/" when alsoSlash) off a text, in place. A text
// made only of separators that starts with "/" keeps that "/" (the root) when alsoSlash is
// set. Null: false; otherwise true.
bool TrimSeparators(char* text, bool alsoSlash);
bool TrimSeparators(CDynString& text, bool alsoSlash);

// Cuts a path into its parts after cutting trailing "/" (a trailing tab, CR, LF or "\\" is
// part of the name); "." and ".." have an empty name.
PathParts CutPath(const char* path);

// 0 for none, ".", "..", a last component "." or "..", a missing or unreadable path, a FIFO,
// socket or device; 1 for a regular file; 2 for a directory. Symbolic links are followed.
int GetPathKind(const char* path);

// A path opened for reading with its GetPathKind, both from one lookup of the path.
struct OpenedPath {
    int kind = kPathNothing;
    // A regular file's descriptor (the caller closes it) and status; -1 for other kinds.
    int fd = -1;
    struct stat status {};
    // errno of a failed open, whose kind then comes from GetPathKind.
    int error = 0;
};

// Opens path without waiting on a FIFO or taking it as a controlling terminal, and tells its
// kind from the open descriptor, which is kept only for a regular file.
OpenedPath OpenPathKind(const char* path);

// The path with its "." and ".." components resolved by the file system: a path ending in
// one becomes the directory it names; otherwise the directory part is resolved and the last
// component kept (a listed link stays the link). Unchanged when it has no such component or
// cannot be resolved.
std::string ResolveDotComponents(const std::string& path);

// A relative path becomes the current directory joined with it, byte for byte; trailing "/"
// are cut and "." and ".." components resolved (ResolveDotComponents), never as text. None
// or empty stays. Returns GetPathKind of the result.
int MakeAbsolute(CDynString& path);

// The user's home directory: $HOME when set and not empty, else the password database's
// entry for this user; empty when neither knows it.
std::string HomeDirectory();

// Reads the process's current directory (trailing separators removed); false on failure.
bool ReadCurrentDirectory(CDynString& directory);

// Path becomes directory + "/" + newBase, then "." + the old extension unless dropExtension.
bool SetBaseName(CDynString& path, const char* newBase, bool dropExtension);
// With a directory part: directory + "/" + base name (+ "." + newExtension when given).
// A bare name gets "." + newExtension appended (nothing when it is none or empty).
bool SetExtension(CDynString& path, const char* newExtension);
// Replaces every letter of the base name and of the extension with a random one of A..Z,
// keeping the directory and both lengths. False for none or an empty path.
bool RandomizeName(CDynString& path);
// Fills positions from..to (CDynString::kToEnd: the last index of the buffer) with random
// bytes from lo to hi; the text grows to cover what was written. Whether anything was written.
bool RandomFill(CDynString& text, int lo, int hi, int from, int to);
// A random integer from lo to hi inclusive.
int RandomBetween(int lo, int hi);
