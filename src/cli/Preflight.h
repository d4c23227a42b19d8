/*
 * What qmend settles before anything runs: every path of the command line made absolute
 * against the starting directory (the program never changes its directory, so they keep that
 * meaning), the engine's own message for a pattern it refuses, why a listed path cannot be
 * used, and the refusal of a report file or backup archive that is a target, lies inside
 * one, or (for the report) cannot be written.
 */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Options.h"

// Makes the option paths (backup, report, temp and archive dir, parameter files) absolute.
void MakePathsAbsolute(CliOptions& options);

// The engine's message for pattern with the engine flags (and the replacement when given),
// or an empty text when both compile.
std::string PatternProblem(const std::string& pattern, std::uint32_t flags, const std::string* replacement);

// Why a path given on the command line is not a file or directory that can be listed.
std::string WhyNotListed(const std::string& path);

// Why the report file or the backup archive of options may not be written, given every
// path the run works on; empty when both may.
std::string WrittenPathProblem(const CliOptions& options, const std::vector<std::string>& targets);
