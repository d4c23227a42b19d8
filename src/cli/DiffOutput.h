/*
 * DiffOutput: qmend --diff's lines on standard output. On a terminal each line is escaped
 * (no raw control byte from a file or name reaches it); with colour, removed lines are red,
 * added lines green, hunk lines cyan and headers bold. In a pipe the bytes go out as they
 * are, so patch and git apply get the files' exact bytes.
 */
#pragma once

#include <cstdio>
#include <string_view>

#include "cli/Options.h"
#include "run/UnifiedDiff.h"

// Whether colours are used for `when` on the stream.
bool UseColor(ColorWhen when, std::FILE* stream);

// A printer for UnifiedDiff writing to out.
UnifiedDiff::Printer DiffPrinter(std::FILE* out, bool color);
