/*
 * The checks qmend makes before it asks or changes anything.
 */
#include "cli/Preflight.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "base/Paths.h"
#include "regex/Pattern.h"
#include "targets/TargetOverlap.h"

namespace {

// path made absolute in place; an empty path stays empty.
void Absolute(std::string& path)
{
    if (path.empty()) return;
    CDynString text(path.data(), path.size());
    MakeAbsolute(text);
    path.assign(text.View());
}

// Why the report file cannot be written, or empty. An existing file is opened for writing
// without truncating it (a FIFO without a reader fails at once instead of blocking); a new
// one is created and removed again.
std::string ReportFileProblem(const std::string& path)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        close(fd);
        unlink(path.c_str());
        return {};
    }
    if (errno == EEXIST) fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    close(fd);
    return {};
}

}  // namespace

void MakePathsAbsolute(CliOptions& options)
{
    for (std::string* path : {&options.backupArchive, &options.tempDir, &options.archiveDir, &options.configFile,
                              &options.saveConfig, &options.job.reportFilePath})
        Absolute(*path);
}

std::string PatternProblem(const std::string& pattern, std::uint32_t flags, const std::string* replacement)
{
    try {
        regex::Pattern compiled(flags, pattern);
        compiled.compile();
        if (replacement != nullptr) compiled.set_substitution(*replacement);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

std::string WhyNotListed(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
    return "not a regular file or directory";
}

std::string WrittenPathProblem(const CliOptions& options, const std::vector<std::string>& targets)
{
    const std::string& report = options.job.reportFilePath;
    if (options.job.reportToFile) {
        if (const std::string target = TargetHolding(report, targets); !target.empty())
            return "the report file " + report + " is one of the targets or lies inside one: " + target;
        if (const std::string reason = ReportFileProblem(report); !reason.empty())
            return "cannot write the report file " + report + ": " + reason;
    }
    const std::string& archive = options.backupArchive;
    if (archive.empty()) return {};
    if (const std::string target = TargetHolding(archive, targets); !target.empty())
        return "the backup archive " + archive + " is one of the targets or lies inside one: " + target;
    return {};
}
