// The program of the foreground window, followed on the hook's thread: the
// library learns it when a window comes to the foreground, so that no key
// event waits for it.
#pragma once

#include "platform.h"
#include "programwhere.h"

struct ForegroundState {
    HWND window;                   // the foreground window it was taken from
    char program[ProgramNameSize]; // folded as file names compare; "" when none is known
    int hostRetries;               // looks again for a packaged app not yet in its frame
};
extern ForegroundState Foreground;

// Follows the foreground from now on (the watch is installed once) and takes
// the program in front now. On the thread that runs the hook.
void WatchForeground();
// Takes the program of the foreground window and brings the hook's view to it.
void TakeForegroundProgram();
// Before a new key press: the watch's news is queued behind the key when the
// user types right after a window came to the front, so the press looks too.
// Costs one call while the same window stays in front.
inline void FollowForegroundForPress()
{
    if (OsForegroundWindow() != Foreground.window)
        TakeForegroundProgram();
}
