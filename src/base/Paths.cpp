/*
 * The path toolkit. Cutting and joining are done on the text (POSIX rules: "/" separates,
 * a leading "/" is the root); classification and the current directory ask the file system.
 * A path is a string of bytes: only "/" separates, so a tab, CR, LF or backslash at its end
 * is part of its name. Making a path absolute keeps its whole directory part and never
 * resolves "." or ".." as text: "lnk/../f" is the f beside what lnk points to, so those
 * components are resolved by the file system.
 */
#include "base/Paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/Random.h"

namespace {

bool IsTrailingSeparator(char c, bool alsoSlash)
{
    return c == '\\' || c == '\r' || c == '\n' || c == '\t' || (alsoSlash && c == '/');
}

// The length of text once trailing separators are cut (the root "/" is kept).
std::size_t TrimmedLength(std::string_view text, bool alsoSlash)
{
    std::size_t n = text.size();
    while (n > 0 && IsTrailingSeparator(text[n - 1], alsoSlash))
        --n;
    if (n == 0 && alsoSlash && !text.empty() && text[0] == '/')
        n = 1;
    return n;
}

// The text without trailing "/" (the root stays "/").
std::string WithoutTrailingSlashes(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 1 && text[n - 1] == '/')
        --n;
    return std::string(text.substr(0, n));
}

bool IsDotName(std::string_view name)
{
    return name == "." || name == "..";
}

// Whether a component of path is "." or "..".
bool HasDotComponent(std::string_view path)
{
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('/', start), path.size());
        if (IsDotName(path.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

// The path with every link resolved, or nothing when it cannot be resolved.
std::optional<std::string> RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

// directory + "/" + name, without doubling the root's separator; a bare name when the
// directory is empty.
std::string JoinPath(const std::string& directory, std::string_view name)
{
    std::string joined = directory;
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

// A random capital letter A..Z.
char RandomCapital()
{
    return static_cast<char>('A' + static_cast<int>(RandomDraw() * 25.999 / kRandomMax));
}

}  // namespace

bool TrimSeparators(char* text, bool alsoSlash)
{
    if (text == nullptr)
        return false;
    text[TrimmedLength(text, alsoSlash)] = '\0';
    return true;
}

bool TrimSeparators(CDynString& text, bool alsoSlash)
{
    if (text.IsNone())
        return false;
    text.SetLength(TrimmedLength(text.View(), alsoSlash));
    return true;
}

PathParts CutPath(const char* path)
{
    PathParts parts;
    if (path == nullptr)
        return parts;
    std::string text = WithoutTrailingSlashes(path);
    if (IsDotName(text))
        text += '/';
    std::size_t slash = text.rfind('/');
    std::string directoryWithSeparator;
    if (slash != std::string::npos) {
        directoryWithSeparator = text.substr(0, slash + 1);
        parts.name = text.substr(slash + 1);
    } else {
        parts.name = text;
    }
    parts.directory = WithoutTrailingSlashes(directoryWithSeparator);
    std::size_t dot = parts.name.rfind('.');
    if (dot == std::string::npos || dot == 0 || IsDotName(parts.name)) {
        parts.baseName = parts.name;
    } else {
        parts.baseName = parts.name.substr(0, dot);
        parts.extension = parts.name.substr(dot + 1);
    }
    return parts;
}

int GetPathKind(const char* path)
{
    if (path == nullptr || IsDotName(path))
        return kPathNothing;
    if (IsDotName(CutPath(path).name))
        return kPathNothing;
    struct stat info {};
    if (stat(path, &info) != 0)
        return kPathNothing;
    if (S_ISREG(info.st_mode))
        return kPathFile;
    if (S_ISDIR(info.st_mode))
        return kPathDirectory;
    return kPathNothing;
}

OpenedPath OpenPathKind(const char* path)
{
    OpenedPath opened;
    if (path == nullptr || IsDotName(path) || IsDotName(CutPath(path).name))
        return opened;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1 || fstat(fd, &opened.status) != 0) {
        opened.error = errno;
        if (fd != -1)
            close(fd);
        opened.kind = GetPathKind(path);
        return opened;
    }
    if (S_ISREG(opened.status.st_mode)) {
        opened.kind = kPathFile;
        opened.fd = fd;
        return opened;
    }
    opened.kind = S_ISDIR(opened.status.st_mode) ? kPathDirectory : kPathNothing;
    close(fd);
    return opened;
}

std::string ResolveDotComponents(const std::string& path)
{
    if (!HasDotComponent(path))
        return path;
    const PathParts parts = CutPath(path.c_str());
    if (IsDotName(parts.name) || parts.name.empty())
        return RealPath(path).value_or(path);
    const std::optional<std::string> directory = RealPath(parts.directory.empty() ? "." : parts.directory);
    return directory ? JoinPath(*directory, parts.name) : path;
}

int MakeAbsolute(CDynString& path)
{
    if (path.IsEmpty())
        return kPathNothing;
    std::string text(path.View());
    if (text.front() != '/') {
        CDynString current;
        if (!ReadCurrentDirectory(current))
            return kPathNothing;
        text = JoinPath(std::string(current.View()), text);
    }
    text = ResolveDotComponents(WithoutTrailingSlashes(text));
    path.Assign(text.data(), text.size());
    return GetPathKind(path.GetText());
}

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

bool ReadCurrentDirectory(CDynString& directory)
{
    std::error_code error;
    std::string current = std::filesystem::current_path(error).string();
    if (error || current.empty())
        return false;
    current = WithoutTrailingSlashes(current);
    directory.Assign(current.data(), current.size());
    return true;
}

bool SetBaseName(CDynString& path, const char* newBase, bool dropExtension)
{
    if (path.IsNone())
        return false;
    PathParts parts = CutPath(path.GetText());
    std::string result = JoinPath(parts.directory, newBase != nullptr ? newBase : "");
    if (!dropExtension && !parts.extension.empty()) {
        result += '.';
        result += parts.extension;
    }
    path.Assign(result.data(), result.size());
    return true;
}

bool SetExtension(CDynString& path, const char* newExtension)
{
    if (path.IsNone())
        return false;
    bool hasExtension = newExtension != nullptr && newExtension[0] != '\0';
    PathParts parts = CutPath(path.GetText());
    if (parts.directory.empty()) {
        if (hasExtension) {
            path.Append(".");
            path.Append(newExtension);
        }
        return true;
    }
    std::string result = JoinPath(parts.directory, parts.baseName);
    if (hasExtension) {
        result += '.';
        result += newExtension;
    }
    path.Assign(result.data(), result.size());
    return true;
}

bool RandomizeName(CDynString& path)
{
    if (path.IsEmpty())
        return false;
    PathParts parts = CutPath(path.GetText());
    for (char& c : parts.baseName)
        c = RandomCapital();
    CDynString extension(parts.extension.data(), parts.extension.size());
    RandomFill(extension, 'A', 'Z', 0, CDynString::kToEnd);
    std::string result = JoinPath(parts.directory, parts.baseName);
    if (!extension.IsEmpty()) {
        result += '.';
        result += extension.View();
    }
    path.Assign(result.data(), result.size());
    return true;
}

bool RandomFill(CDynString& text, int lo, int hi, int from, int to)
{
    if (text.GetAllocatedSize() < 2)
        return false;
    int lastIndex = static_cast<int>(text.GetAllocatedSize() - 2);
    if (to == CDynString::kToEnd || to > lastIndex)
        to = lastIndex;
    from = std::max(from, 0);
    if (from > to)
        return false;
    char* buffer = text.GetBuffer();
    for (int i = from; i <= to; ++i) {
        int value = lo == hi ? lo : lo + static_cast<int>(RandomDraw() * (hi - lo + 0.999) / kRandomMax);
        buffer[i] = static_cast<char>(value);
    }
    text.SetLength(std::max(text.GetLength(), static_cast<std::size_t>(to) + 1));
    return true;
}

int RandomBetween(int lo, int hi)
{
    return lo + static_cast<int>(RandomDraw() / static_cast<double>(kRandomMax) * (hi - lo + 0.99999999999));
}
