#include "host/interruption.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

volatile sig_atomic_t g_signal = 0;
// The self-pipe: the handler writes into it, nobody reads it, so it stays readable for every
// poller (the one waiting for a child, and the other workers of a parallel build).
int g_pipe[2] = {-1, -1};
bool g_installed = false;

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
    for (const int signalNumber : kSignals) {
        struct sigaction previous = {};
        if (::sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signalNumber, &action, nullptr);
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

void reset()
{
    char buffer[64];
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    g_signal = 0;
}

} // namespace Interruption
