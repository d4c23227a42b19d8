/*
 * Where a path meets the targets: the file the program writes besides the targets (the
 * backup archive, the report file) may never be a target nor lie inside a target directory,
 * and the temp dir that is emptied may never hold a target. Paths are compared as the file
 * system sees them: links are resolved and ".." means the parent of what it follows, never
 * the text before it; an existing file is also recognised by its device and inode, so a hard
 * link or a link to a target is the target.
 */
#pragma once

#include <string>
#include <vector>

// The absolute path with its directories resolved; the last component is followed too when
// followLast is set, else kept as it is (a link stands for itself). Parts that do not exist
// are kept as given.
std::string ResolvedPath(const std::string& path, bool followLast);

// Whether inner is outer or lies below it (both resolved).
bool IsWithin(const std::string& inner, const std::string& outer);

// The first of targets that path is or lies inside of, by device and inode of path's existing
// directories and of path itself; empty when there is none.
std::string TargetHolding(const std::string& path, const std::vector<std::string>& targets);
