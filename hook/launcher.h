// Applications and addresses are opened on a worker thread: a shell call can
// take seconds, and a low-level hook that takes that long is removed by the
// system without notice.
#pragma once

#include <cstddef>

#include "mappingfile.h"
#include "platform.h"

const int LaunchSlots = 16;

struct LaunchQueue {
    char targets[LaunchSlots][PayloadSize + 1];
    char current[PayloadSize + 1]; // the worker's copy of the request it opens
    int first; // oldest waiting request
    int waiting;
    OsLock lock;
    OsSignal wake;
    bool started;
};
extern LaunchQueue Launches;

// Starts the worker once per process; exit code 2 when it cannot be started.
void InitializeLauncher();
// Queues ShellExecuteA(desktop, "open", target) in order; a full queue drops
// the request with a beep. Never waits for the shell.
void QueueLaunch(const char* target, std::size_t maxLength);
// Opens every waiting request; returns how many. The worker's step.
int RunQueuedLaunches();
void LauncherThread(void* unused);
