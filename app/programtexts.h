// The program's own texts: its titles, the tray tip, the autorun value and
// the command-line switch.
#pragma once

#include <cstddef>

const int TrayTipSize = 64; // the notify-icon record's tip field

// The tray tip: `title` cut to 63 characters and terminated (64-byte field).
void CutTrayTip(const char* title, char* tip);

// `path` in double quotes when it holds a blank, else as it is; cut to `capacity`.
void QuotePath(const char* path, char* out, std::size_t capacity);
// The autorun value: QuotePath of `path`, two blanks and "/background".
void AutorunValueText(const char* path, char* out, std::size_t capacity);
// Appends the two blanks and "/background" to a quoted path, within `capacity`.
void AppendAutorunSwitch(char* quotedPath, std::size_t capacity);

// True when the full command line holds "/background" anywhere (case-sensitive).
bool HasBackgroundSwitch(const char* commandLine);

// "Quillon - <major>.<minor> (Build <build>)" and the same with
// "- DISABLED!!" appended.
void ComposeTitles(char* enabledTitle, char* disabledTitle, std::size_t capacity);
