#include "foreground.h"

#include "platform.h"
#include "programview.h"

ForegroundState Foreground;

namespace {
const int HostRetries = 8;
const DWORD HostRetryPeriod = 250;

void Take(bool retry);
void RetryHostedApp() { Take(true); }

void Take(bool retry)
{
    char name[ProgramNameSize];
    HWND window = OsForegroundWindow();
    Foreground.window = window;
    ProgramLookup lookup = window ? OsProgramOfWindow(window, name, sizeof name) : ProgramUnknown;
    if (lookup == ProgramUnknown)
        name[0] = 0;
    OsFoldProgramName(name, Foreground.program, sizeof Foreground.program);
    // A packaged app's frame comes to the front before the app is in it,
    // and no event says when it is: look again a few times.
    if (!retry)
        Foreground.hostRetries = 0;
    if (lookup == ProgramHostOnly && Foreground.hostRetries < HostRetries) {
        ++Foreground.hostRetries;
        OsCallLater(HostRetryPeriod, RetryHostedApp);
    }
    SetViewProgram(Foreground.program);
}
} // namespace

void WatchForeground()
{
    if (OsWatchForeground(TakeForegroundProgram)) {
        TakeForegroundProgram();
        return;
    }
    // Without the watch the program in front would never change: none is
    // known, so a combination for some programs only never acts.
    Foreground.program[0] = 0;
    SetViewProgram(Foreground.program);
}

void TakeForegroundProgram() { Take(false); }
