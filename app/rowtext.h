// Texts of the combination list's rows and the other small text rules of the
// program (tray tip, autorun value, command-line switch).
#pragma once

#include <cstddef>

#include "mappingfile.h"

const int RowTextSize = 3000;   // both texts of a row
const int TargetKeyTextSize = 1024;
const int TrayTipSize = 64;     // the notify-icon record's tip field

// The label of column 1 for an ActionKind ("<unknown function>" for others).
const char* ActionLabel(BYTE action);

// "Ctrl + ", "Alt + ", "Shift + " (always in this order, for the non-zero
// ones) and the key's name, in a shared buffer overwritten at each call.
const char* DescribeTargetKey(BYTE targetKey, BYTE alt, BYTE ctrl, BYTE shift);

// Column 0: the combination text of the record's keys, cut to `capacity`.
void FormatKeyText(const CombinationRecord* record, char* out, std::size_t capacity);
// Column 1: "<label> <detail>", cut to `capacity`. A payload is read only up
// to its terminator or the end of its field, whichever comes first.
void FormatFunctionText(const CombinationRecord* record, char* out, std::size_t capacity);

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

// "Quillon - 1.2 (Build 21)" and the same with "- DISABLED!!" appended.
void ComposeTitles(char* enabledTitle, char* disabledTitle, std::size_t capacity);

// Whether the table has room for one more combination.
bool CanAddCombination(const CombinationTable* table);
