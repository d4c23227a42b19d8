/*
 * CFileFinder::AddDroppedFiles: dropped names become absolute paths in a working list. A
 * relative name keeps its whole directory part and its bytes (it is joined to the current
 * directory), so it names the file that was dropped; ".", ".." and names ending in them
 * name the directory they mean. Names the file system does not know are skipped and handed
 * back to the caller, who may report them.
 */
#include "base/Paths.h"
#include "targets/CFileFinder.h"

namespace {

// The dropped name as an absolute path of an existing file or directory, or none.
bool UsableDroppedName(const std::string& name, CDynString& absolute)
{
    absolute = PathString(name);
    return MakeAbsolute(absolute) != kPathNothing;
}

}  // namespace

int CFileFinder::AddDroppedFiles(const FileDrop* drop, bool clearFirst, CWexList<CDynString>& list,
                                 int x0, int y0, int x1, int y1, std::vector<std::string>* skipped)
{
    if (drop == nullptr)
        return 0;
    if (clearFirst)
        list.t_DeleteList();
    if (drop->x < x0 || drop->x > x1 || drop->y < y0 || drop->y > y1)
        return 0;
    PathIndex index(list);
    for (const std::string& name : drop->names) {
        CDynString absolute;
        if (!UsableDroppedName(name, absolute)) {
            if (skipped != nullptr)
                skipped->push_back(name);
            continue;
        }
        index.AppendTo(list, absolute.View());
    }
    return static_cast<int>(drop->names.size());
}
