#include "launcher.h"

#include <cstring>

#include "typer.h"

LaunchQueue Launches;

void InitializeLauncher()
{
    if (Launches.started)
        return;
    OsLockInit(&Launches.lock);
    Launches.first = 0;
    Launches.waiting = 0;
    Launches.started = true;
    // Without its wake-up signal the worker's wait would return at once, forever.
    if (!OsSignalInit(&Launches.wake) || !OsStartThread(LauncherThread, nullptr)) {
        ReportLastError("InitializeLauncher");
        OsExitProcess(2);
    }
}

void QueueLaunch(const char* target, std::size_t maxLength)
{
    const void* end = std::memchr(target, 0, maxLength);
    std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - target) : maxLength;
    if (length > PayloadSize)
        length = PayloadSize;

    OsLockEnter(&Launches.lock);
    if (Launches.waiting == LaunchSlots) {
        OsLockLeave(&Launches.lock);
        OsMessageBeep(MB_ICONASTERISK);
        return;
    }
    // Copying into a fixed slot under the lock is a bounded memcpy; the worker
    // holds the lock only to copy a request out.
    char* slot = Launches.targets[(Launches.first + Launches.waiting) % LaunchSlots];
    std::memcpy(slot, target, length);
    slot[length] = 0;
    ++Launches.waiting;
    OsLockLeave(&Launches.lock);
    OsSignalRaise(&Launches.wake);
}

int RunQueuedLaunches()
{
    int done = 0;
    for (;;) {
        OsLockEnter(&Launches.lock);
        if (Launches.waiting == 0) {
            OsLockLeave(&Launches.lock);
            return done;
        }
        std::memcpy(Launches.current, Launches.targets[Launches.first], sizeof Launches.current);
        Launches.first = (Launches.first + 1) % LaunchSlots;
        --Launches.waiting;
        OsLockLeave(&Launches.lock);
        OsShellOpen(OsDesktopWindow(), Launches.current);
        ++done;
    }
}

void LauncherThread(void*)
{
    OsInitShellThread();
    for (;;) {
        OsSignalWait(&Launches.wake, OsWaitForever);
        RunQueuedLaunches();
    }
}
