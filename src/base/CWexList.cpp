/*
 * The diagnostic hook of CWexList. By default diagnostics are recorded in memory (tests read
 * them); the desktop shell points the hook at a message box.
 */
#include "base/CWexList.h"

namespace {

// The current hook; empty means "record".
WexDiagnosticHook& Hook()
{
    static WexDiagnosticHook hook;
    return hook;
}

std::vector<std::string>& Recorded()
{
    static std::vector<std::string> recorded;
    return recorded;
}

}  // namespace

void SetWexDiagnosticHook(WexDiagnosticHook hook)
{
    Hook() = std::move(hook);
}

void ReportWexDiagnostic(const std::string& text)
{
    if (Hook())
        Hook()(text, kWexListCaption);
    else
        Recorded().push_back(text);
}

const std::vector<std::string>& RecordedWexDiagnostics()
{
    return Recorded();
}

void ClearRecordedWexDiagnostics()
{
    Recorded().clear();
}
