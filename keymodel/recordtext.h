// The texts of a combination record, as the program's list and the
// command-line tool show it: its keys and its function.
#pragma once

#include <cstddef>

#include "mappingfile.h"

const int RowTextSize = 3000;   // both texts of a row
const int TargetKeyTextSize = 1024;

// The label of the function text for an ActionKind ("<unknown function>" for others).
const char* ActionLabel(BYTE action);

// "Ctrl + ", "Alt + ", "Shift + " (always in this order, for the non-zero
// ones) and the key's name, in a shared buffer overwritten at each call.
const char* DescribeTargetKey(BYTE targetKey, BYTE alt, BYTE ctrl, BYTE shift);

// The combination text of the record's keys, cut to `capacity`.
void FormatKeyText(const CombinationRecord* record, char* out, std::size_t capacity);
// "<label> <detail>", cut to `capacity`. A payload is read only up to its
// terminator or the end of its field, whichever comes first.
void FormatFunctionText(const CombinationRecord* record, char* out, std::size_t capacity);
