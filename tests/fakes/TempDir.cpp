/*
 * TempDir and the whole-file helpers, on mkdtemp and std::filesystem.
 */
#include "fakes/TempDir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qm-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a temp directory");
    path_ = std::filesystem::canonical(buffer.data()).string();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& relative, const std::string& content) const
{
    std::filesystem::create_directories(std::filesystem::path(*this / relative).parent_path());
    WriteFile(*this / relative, content);
    return *this / relative;
}

std::string TempDir::Dir(const std::string& relative) const
{
    std::filesystem::create_directories(*this / relative);
    return *this / relative;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
