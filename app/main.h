// The program's entry and start-up: its shell state, the single instance and
// the main window's class.
#pragma once

#include <windows.h>

extern HINSTANCE AppInstance;
extern HWND MainWindow; // the hidden main window; null until created
extern char EnabledTitle[1024];
extern char DisabledTitle[1024];

// Ends the process with 1001 when another instance runs.
void EnsureSingleInstance();
void RegisterMainWindowClass(HINSTANCE instance);
// Creates MainWindow, binds the rest, opens the main dialog unless
// "/background" was given; false when there is no MainWindow.
bool InitShell(HINSTANCE instance);
