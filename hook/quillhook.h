// The exports of Quillhook.dll (listed in exportlist.h), bound by name by the
// program. Each argument and result is a single integer, handle or pointer.
#pragma once

#include "win32types.h"

extern "C" {
// The low-level keyboard hook procedure: 1 = swallowed, else the next hook's result.
LRESULT CALLBACK KeyRemapProc(int code, WPARAM wParam, LPARAM lParam);
// Window whose text shows the captured combination. Returns 0.
LRESULT SetLastCombWindow(HWND window);
// 256-byte buffer that receives the captured combination. Returns the argument.
BYTE* SetLastCombBuffer(BYTE* buffer);
// Nonzero switches capture mode on, 0 off. Returns the argument.
LRESULT SetSendLastComb(LRESULT flag);
// Stores a list box handle that nothing reads. Returns 0.
LRESULT SetListBox(HWND listBox);
// Releases every key the library pressed towards the system, then forgets
// every key it holds as down.
void ResetKeysState();
// Reads "mapping.mp" again; when that replaces the table, also releases every
// key the library pressed towards the system.
void ForceReloadKeysFromDisk();
// How often the hook procedure has been called (wraps around).
DWORD GetHookCallCount();
// The library's start-up: typer and launcher threads, key tables, names, and
// the table from the mapping file (with its warnings). The program calls it
// once, right after it has bound the exports: none of this may run under the
// loader lock. A second call does nothing.
void InitializeHookLibrary();
}

typedef LRESULT(CALLBACK* KeyRemapProcFn)(int, WPARAM, LPARAM);
typedef LRESULT (*SetLastCombWindowFn)(HWND);
typedef BYTE* (*SetLastCombBufferFn)(BYTE*);
typedef LRESULT (*SetSendLastCombFn)(LRESULT);
typedef LRESULT (*SetListBoxFn)(HWND);
typedef void (*ResetKeysStateFn)();
typedef void (*ForceReloadKeysFromDiskFn)();
typedef DWORD (*GetHookCallCountFn)();
typedef void (*InitializeHookLibraryFn)();
