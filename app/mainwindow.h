// The hidden main window: its procedure, and the main dialog over it.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the main dialog 131 modally over MainWindow.
void RunMainDialog();
