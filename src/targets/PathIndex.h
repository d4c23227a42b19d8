/*
 * PathIndex and PathString: paths in the working lists are compared byte for byte (the file
 * system is case-sensitive), and looked up through a hash set so that filling a list with
 * many thousand paths stays linear instead of searching the list for every new element.
 */
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/CDynString.h"
#include "base/CWexList.h"

// A path as the working lists hold it: compared byte for byte.
CDynString PathString(std::string_view path);

// The texts of a list of paths, for lookups while the list grows.
class PathIndex {
public:
    PathIndex() = default;
    // Indexes every element of list.
    explicit PathIndex(const CWexList<CDynString>& list);
    bool Contains(std::string_view path) const;
    // Appends path to list unless it is indexed already; whether it was appended.
    bool AppendTo(CWexList<CDynString>& list, std::string_view path);
    // Indexes path without touching any list; whether it was new.
    bool Add(std::string_view path);
    // Forgets every text.
    void Clear() { texts_.clear(); }

private:
    // Hashes owned texts and views alike, so a lookup needs no copy of the path.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    // The indexed texts.
    std::unordered_set<std::string, TextHash, std::equal_to<>> texts_;
};
