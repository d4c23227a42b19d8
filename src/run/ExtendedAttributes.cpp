/*
 * CopyExtendedAttributes: the attribute names of both files listed, the surplus removed, each
 * wanted value read and set.
 */
#include "run/ExtendedAttributes.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

#include <sys/xattr.h>

namespace {

// The names in a NUL-separated attribute list as listxattr(2) returns it; size -1 is an
// error unless the file system keeps no attributes at all.
bool SplitNames(ssize_t size, const std::vector<char>& list, std::set<std::string>& names)
{
    if (size < 0) return errno == ENOTSUP;
    for (std::size_t i = 0; i < static_cast<std::size_t>(size); i += std::strlen(&list[i]) + 1) names.insert(&list[i]);
    return true;
}

// The extended attribute names of a path (links not followed) or of a descriptor.
bool AttributeNames(const char* path, int descriptor, std::set<std::string>& names)
{
    const auto list = [&](char* buffer, std::size_t size) {
        return path != nullptr ? llistxattr(path, buffer, size) : flistxattr(descriptor, buffer, size);
    };
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size <= 0) return SplitNames(size, {}, names);
        std::vector<char> buffer(static_cast<std::size_t>(size));
        const ssize_t got = list(buffer.data(), buffer.size());
        if (got < 0 && errno == ERANGE) continue;
        return SplitNames(got, buffer, names);
    }
}

}  // namespace

bool CopyExtendedAttributes(const std::string& from, int to)
{
    std::set<std::string> wanted;
    std::set<std::string> present;
    if (!AttributeNames(from.c_str(), -1, wanted) || !AttributeNames(nullptr, to, present)) return false;
    for (const std::string& name : present)
        if (!wanted.contains(name) && fremovexattr(to, name.c_str()) != 0) return false;
    for (const std::string& name : wanted) {
        const ssize_t size = lgetxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (size < 0) return false;
        std::vector<char> value(static_cast<std::size_t>(size) + 1);
        const ssize_t got = lgetxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0 || fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0) return false;
    }
    return true;
}
