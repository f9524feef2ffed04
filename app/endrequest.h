// The request to end that the installer and the uninstaller make: a named
// event, "Local\Quillon_End_<process id>", which reaches Quillon from any
// desktop of the session (a window message does not). Quillon then ends as
// its "&Exit" does, without the autorun question: keys released, hook
// removed, tray icon deleted, exit code 0.
#pragma once

#include <windows.h>

// Makes the event and waits for it on a pool thread; a set event closes
// `window` (WM_CLOSE). Without the event only a forced end remains.
void StartEndRequestWatch(HWND window);
