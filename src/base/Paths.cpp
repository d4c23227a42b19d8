/*
 * The path toolkit. Cutting and joining are done on the text (POSIX rules: "/" separates,
 * a leading "/" is the root); classification and the current directory ask the file system.
 * Making a relative path absolute keeps its whole directory part and normalises "." and
 * ".." lexically.
 */
#include "base/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
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

std::string Trimmed(std::string_view text)
{
    return std::string(text.substr(0, TrimmedLength(text, true)));
}

bool IsDotName(std::string_view name)
{
    return name == "." || name == "..";
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
    std::string text = Trimmed(path);
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
    parts.directory = Trimmed(directoryWithSeparator);
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

int MakeAbsolute(CDynString& path)
{
    if (path.IsEmpty())
        return kPathNothing;
    if (path.View().front() != '/') {
        CDynString current;
        if (ReadCurrentDirectory(current)) {
            std::filesystem::path joined =
                std::filesystem::path(std::string(current.View())) / Trimmed(path.View());
            std::string normal = Trimmed(joined.lexically_normal().string());
            path.Assign(normal.data(), normal.size());
        }
    }
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
    current = Trimmed(current);
    directory.Assign(current.data(), current.size());
    return true;
}

bool ChangeCurrentDirectory(const CDynString& directory)
{
    if (directory.IsEmpty())
        return false;
    return chdir(directory.GetText()) == 0;
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
