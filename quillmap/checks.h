// What the program would reject in a mapping file, or what can never act.
#pragma once

#include "mappingfile.h"

// What is wrong with a url whose address Quillon does not open.
extern const char* const NotWebAddressText;

// One finding: the record's number (from 1) and what is wrong with it.
typedef void (*FindingProc)(int record, const char* text, void* context);

// Checks a file of `fileSize` bytes whose first `table->count` records (at
// most 300, the ones the program loads) are in `table`. Returns the number
// of findings reported.
int CheckMapping(const CombinationTable* table, long long fileSize, FindingProc report, void* context);
