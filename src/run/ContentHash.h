/*
 * ContentHash: the SHA-256 of a file's bytes, as 64 lowercase hex digits, read through a
 * descriptor in blocks so memory stays small whatever the file's size. The undo journal
 * notes it for every file a run leaves, and an undo compares it before it restores.
 */
#pragma once

#include <optional>
#include <string>

// The hash of everything readable from descriptor's current position; none on a read error.
std::optional<std::string> HashDescriptor(int descriptor);
// The hash of the file at path (a link is not followed); none when it cannot be read.
std::optional<std::string> HashFile(int directory, const std::string& name);
