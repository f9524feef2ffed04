// Program-wide shell state of Quillon.exe (one GUI thread reads and writes it).
#pragma once

#include "win32types.h"
#include "quillhook.h"

// Entry points bound from Quillhook.dll at start-up.
struct LibraryExports {
    KeyRemapProcFn keyRemapProc;
    SetLastCombWindowFn setLastCombWindow;
    SetSendLastCombFn setSendLastComb;
    SetLastCombBufferFn setLastCombBuffer;
    ForceReloadKeysFromDiskFn forceReloadKeysFromDisk;
    ResetKeysStateFn resetKeysState;
};
extern LibraryExports Library;

extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HMODULE HookLibrary;
extern char EnabledTitle[1024];
extern char DisabledTitle[1024];
extern HICON ApplicationIcon; // icon 2
extern HICON DisabledIcon;    // icon 134
