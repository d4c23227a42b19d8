/*
 * The checks and derived values of JobSettings.
 */
#include "run/JobSettings.h"

bool BufferSettingsValid(std::uint64_t bufferSize, std::uint64_t overlap)
{
    return overlap > 0 && overlap < bufferSize && bufferSize <= kMaxBufferSize;
}

std::string RunFlagString(const JobSettings& job)
{
    std::string flags = "n";
    if (job.ignoreCase) flags += 'i';
    if (job.multiline) flags += 'm';
    if (job.dotAll) flags += 's';
    if (job.extended) flags += 'x';
    return flags;
}
