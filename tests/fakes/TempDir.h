/*
 * TempDir: a fresh directory under the system's temp directory for one test, removed with
 * everything in it when the test ends. Also small helpers to write and read whole files.
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

private:
    // The directory this object created and removes.
    std::string path_;
};

// Writes bytes to a file, replacing it; false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// The whole content of a file; empty if it cannot be read.
std::string ReadFile(const std::string& path);
