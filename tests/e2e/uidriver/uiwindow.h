// Window lookups shared by uidriver.exe and uiedit.exe: windows and numbers
// named on the command line, texts and rectangles read from other processes.
#pragma once

#include <windows.h>

const int UiTextSize = 4096;

// A decimal or 0x-hex number.
unsigned long long UiNumber(const char* text);
HWND UiWindow(const char* text);
// The window argv[at], or its child with the id argv[at + 1] when there is one.
HWND UiTarget(int argc, char** argv, int at);
void UiPrintWindow(HWND window);
// WM_GETTEXT with a timeout, so that a hung window cannot stop the suites.
bool UiReadText(HWND window, char* text, int size);
// SendMessageTimeoutA that gives up on a hung window after 5 s; -1 then.
LRESULT UiSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// "usage: TOOL COMMAND ARGS..." on stderr; the exit code 2.
int UiUsage(const char* tool);
// The screen rectangle "left top right bottom", or its middle "x y".
bool UiPrintRect(HWND window, bool middle);
