// The remapping switch and its hook, the tray icon and the autorun value.
#pragma once

#include <windows.h>

// The remapping switch: 1 = on (hook installed), 0 = off.
extern int RemappingEnabled;
extern HHOOK HookHandle;

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
