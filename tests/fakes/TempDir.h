/*
 * TempDir: a fresh directory under the system's temp directory for one test, removed with
 * everything in it when the test ends, with helpers that build files and directories (with
 * their parents) in it. Also small helpers to write and read whole files, and a scoped change
 * of the current directory.
 */
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory's absolute path (canonical, no trailing separator).
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Creates a file below the directory holding content; returns its path.
    std::string File(const std::string& relative, const std::string& content = "x") const;
    // Creates a directory below the directory; returns its path.
    std::string Dir(const std::string& relative) const;

private:
    // The directory this object created and removes.
    std::string path_;
};

// Writes bytes to a file, replacing it; false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// The whole content of a file; empty if it cannot be read.
std::string ReadFile(const std::string& path);

// Changes the current directory for one scope.
struct CurrentDirectory {
    // Where to go back to.
    std::filesystem::path saved = std::filesystem::current_path();
    explicit CurrentDirectory(const std::string& directory) { std::filesystem::current_path(directory); }
    ~CurrentDirectory() { std::filesystem::current_path(saved); }
};
