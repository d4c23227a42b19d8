/*
 * The handlers only call async-signal-safe functions: the registry's unlink and _exit.
 */
#include "cli/SignalHandlers.h"

#include <csignal>
#include <initializer_list>

#include <unistd.h>

#include "run/SignalCleanup.h"

namespace {

void OnTermination(int signal)
{
    RemoveRegisteredFiles();
    _exit(128 + signal);
}

}  // namespace

void InstallSignalHandlers()
{
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
