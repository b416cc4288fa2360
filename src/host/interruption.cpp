#include "host/interruption.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

volatile sig_atomic_t g_signal = 0;
// The self-pipe: the handler writes into it, nobody reads it, so it stays readable for every
// poller (the one waiting for a child, and the other workers of a parallel build).
int g_pipe[2] = {-1, -1};
bool g_installed = false;
struct sigaction g_previous[kSignalCount];
bool g_caught[kSignalCount] = {};

void record(int signalNumber)
{
    const int savedErrno = errno;
    if (g_signal == 0)
        g_signal = signalNumber;
    const char byte = 1;
    // The pipe is non-blocking: when it is full it is readable already.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

namespace Interruption {

void install()
{
    if (g_installed)
        return;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_installed = true;
    struct sigaction action = {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0)
            continue;
        if (g_previous[i].sa_handler == SIG_IGN)
            continue;
        g_caught[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

int signal()
{
    return g_signal;
}

int descriptor()
{
    return g_pipe[0];
}

int exitStatus()
{
    const int received = g_signal;
    return received == 0 ? 0 : 128 + received;
}

void restoreDefaultsInChild()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_caught[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

void reset()
{
    char buffer[64];
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    g_signal = 0;
}

} // namespace Interruption
