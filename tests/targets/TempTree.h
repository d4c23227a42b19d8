/*
 * TempTree: a fresh directory under the system's temporary directory, removed with all its
 * content when the test ends, and small helpers to build files, directories and links in it.
 */
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempTree {
public:
    TempTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm_targets_XXXXXX").string();
        root = mkdtemp(pattern.data());
    }
    ~TempTree()
    {
        std::error_code ignored;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The absolute path of a name below the root.
    std::string Path(const std::string& relative) const { return root + "/" + relative; }
    // Creates a file (and its missing parents) holding content; returns its path.
    std::string File(const std::string& relative, const std::string& content = "x") const
    {
        std::filesystem::path path = Path(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    // Creates a directory (and its missing parents); returns its path.
    std::string Dir(const std::string& relative) const
    {
        std::filesystem::create_directories(Path(relative));
        return Path(relative);
    }

    // The root directory.
    std::string root;
};

// Changes the current directory for one scope and changes it back.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& directory) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(directory);
    }
    ~CurrentDirectory() { std::filesystem::current_path(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    // Where to go back to.
    std::filesystem::path saved_;
};
