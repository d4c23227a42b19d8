/*
 * PathString and PathIndex: byte-exact path strings and their hash-set index.
 */
#include "targets/PathIndex.h"

CDynString PathString(std::string_view path)
{
    CDynString text(path.data(), path.size());
    text.caseSensitive = true;
    return text;
}

PathIndex::PathIndex(const CWexList<CDynString>& list)
{
    for (const CWexNode<CDynString>* node = list.head; node != nullptr; node = node->next)
        texts_.emplace(node->element.View());
}

bool PathIndex::Contains(std::string_view path) const
{
    return texts_.contains(path);
}

bool PathIndex::Add(std::string_view path)
{
    return texts_.emplace(path).second;
}

bool PathIndex::AppendTo(CWexList<CDynString>& list, std::string_view path)
{
    if (Contains(path))
        return false;
    if (list.t_Insert(list.tail, PathString(path)) == nullptr)
        return false;
    texts_.emplace(path);
    return true;
}
