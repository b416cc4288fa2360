// Interruption: Ctrl-C (SIGINT) or SIGTERM during a build. The signal handler only records the
// signal; the code waiting for a child process notices it, ends the child's process group and
// reaps it, and the console builder removes what the interrupted step was writing and ends the
// run with 128 + the signal number.
#pragma once

namespace Interruption {

// Catches SIGINT and SIGTERM from now on. A signal that was ignored when the program started
// (a build started in the background by a shell) stays ignored. Calling it again does nothing.
void install();

// The first signal received since install (or reset), 0 when none came.
int signal();

// A descriptor that becomes readable once a signal has been received and stays readable, so
// that every thread waiting in poll() wakes up; -1 before install. Never read from it.
int descriptor();

// 128 + signal(), the status an interrupted program conventionally exits with; 0 when none.
int exitStatus();

// Forgets a received signal (tests that interrupt themselves).
void reset();

} // namespace Interruption
