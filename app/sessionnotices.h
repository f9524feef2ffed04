// Session-change notifications (WM_WTSSESSION_CHANGE) for the main window.
#pragma once

#include <windows.h>

// Registers `window` for the changes of this session. WTSAPI32.dll is not a
// known DLL: it is loaded from the system folder only, never from beside the
// program. Without it the window gets no notifications.
void RegisterSessionNotices(HWND window);
// Withdraws the registration; before the window is destroyed.
void UnregisterSessionNotices();
