// The writer of "mapping.mp" (the program only).
#pragma once

#include <cstdio>

#include "mappingfile.h"

// Called after every successful save so that the library's copy follows the
// file: the library's ForceReloadKeysFromDisk, bound at start-up.
typedef void (*ReloadProc)();
extern ReloadProc MappingReload;

// Returns false when fewer than 3257 bytes were written.
bool WriteCombinationRecord(std::FILE* stream, const CombinationRecord* record);

// Moves the file at `path` to "<path>.bad", replacing an older one; false
// when it cannot be moved (write-protected, held open by another program).
bool KeepMappingFileAside(const char* path);

// Writes the whole table to `path`: a temporary file "<path>.tmp", flushed to
// the disk, replaces the old file in one step, and an old file that a load
// would reject or cut, or that cannot be read now, is kept as "<path>.bad"
// first. No message, no reload; false on failure, with the old file as it
// was and no temporary file left.
bool WriteMappingFileAt(const char* path, const CombinationTable* table);

// Writes the whole table beside the program (WriteMappingFileAt). The new file replaces the old
// one in one step, so a failed write leaves the old file as it was; a file
// that could not be loaded whole, or not read at all, is kept as
// "mapping.mp.bad" first. On failure the "Error..." message is shown and no
// reload happens.
bool SaveMappingFile(const CombinationTable* table);
// The "Error..." box of a failed save.
void ReportWriteFailure();
