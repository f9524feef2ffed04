// The program of the foreground window, followed on the hook's thread: the
// library learns it when a window comes to the foreground, so that no key
// event waits for it.
#pragma once

#include "programwhere.h"

struct ForegroundState {
    char program[ProgramNameSize]; // folded as file names compare; "" when none is known
    int hostRetries;               // looks again for a packaged app not yet in its frame
};
extern ForegroundState Foreground;

// Follows the foreground from now on (the watch is installed once) and takes
// the program in front now. On the thread that runs the hook.
void WatchForeground();
// Takes the program of the foreground window and brings the hook's view to it.
void TakeForegroundProgram();
