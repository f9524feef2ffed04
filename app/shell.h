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
    GetHookCallCountFn getHookCallCount;
};
extern LibraryExports Library;

extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HMODULE HookLibrary;
extern char EnabledTitle[1024];
extern char DisabledTitle[1024];
extern HICON ApplicationIcon; // icon 2
extern HICON DisabledIcon;    // icon 134

#ifdef _WIN32
// The remapping switch: 1 = on (hook installed), 0 = off.
extern int RemappingEnabled;
extern HHOOK HookHandle;

void EnsureSingleInstance();
void RegisterMainWindowClass(HINSTANCE instance);
bool InitShell(HINSTANCE instance);
// Binds KeyRemapProc from HookLibrary (while MainWindow is created); ends the process on failure.
void BindKeyRemapProc();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The number of hooks installed so far, kept on MainWindow under this
// property: other programs can tell from it that the hook was installed again.
const char* const HookInstallsProperty = "QuillonHookInstalls";

void InstallHook();
void RemoveHook();
// While remapping is on: installs a new hook, then removes the old one. If
// the new one cannot be installed the old handle stays, with no message; the
// next trigger tries again.
void ReinstallHook();
void EnableRemapping();
void DisableRemapping();
// Adds the tray icon (NIM_ADD) in the current state; also after the shell restarts.
void AddTrayIcon();
void DeleteTrayIcon();
void RegisterAutorun();
void ConfirmAutorunOnExit();
// The program's own path, quoted when it holds a blank (buffer of `size`).
void QuotedProgramPath(char* buffer, DWORD size);
// Runs the main dialog 131 modally over MainWindow.
void RunMainDialog();
#endif
