// Raw keyboard input, watched on a thread of its own, tells the main window
// when the hook's calls have stopped while keys still arrive.
#pragma once

#include <windows.h>

// Posted to MainWindow with the hook-call count (lParam) read when two raw
// key events in a row came without a hook call.
const UINT HookSuspectMessage = WM_APP + 1;

// Starts the watch; without it only unlock and resume install the hook again.
void StartRawKeyboardWatch();
