/*
 * TempTree: the shared temp directory of the tests with helpers that build files and
 * directories (with their parents) in it, and a scoped change of the current directory.
 */
#pragma once

#include <filesystem>
#include <string>

#include "fakes/TempDir.h"

struct TempTree : TempDir {
    // The root's path.
    const std::string root = Path();
    // The absolute path of a name below the root.
    std::string At(const std::string& relative) const { return root + "/" + relative; }
    // Creates a file holding content; returns its path.
    std::string File(const std::string& relative, const std::string& content = "x") const
    {
        std::filesystem::create_directories(std::filesystem::path(At(relative)).parent_path());
        WriteFile(At(relative), content);
        return At(relative);
    }
    // Creates a directory; returns its path.
    std::string Dir(const std::string& relative) const
    {
        std::filesystem::create_directories(At(relative));
        return At(relative);
    }
};

// Changes the current directory for one scope.
struct CurrentDirectory {
    // Where to go back to.
    std::filesystem::path saved = std::filesystem::current_path();
    explicit CurrentDirectory(const std::string& directory) { std::filesystem::current_path(directory); }
    ~CurrentDirectory() { std::filesystem::current_path(saved); }
};
