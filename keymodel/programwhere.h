// Where a combination acts: everywhere, only in the named programs, or
// everywhere except them. A program is named by its executable's file name
// ("notepad.exe"), in the code page of the record's texts.
//
// The where is kept at the end of the record's payload, in bytes that its
// action does not use, so that a reader that knows nothing of it sees the
// action alone and acts everywhere:
//   [names, each ending in 0][kind][count][names' length, 2 bytes LE]
//   [check, 4 bytes LE][0 'W' 'H' 'R']
// The marker ends the payload. A text cannot hold its 0 with letters after
// it, and the editor always wrote zeros behind what it stored, so no record
// it wrote reads as having a where; the check (FNV-1a over the names and the
// three fields before it) guards against leftovers of older editors.
#pragma once

#include <cstddef>

#include "mappingfile.h"

enum WhereKind : BYTE {
    ActsEverywhere = 0,
    ActsOnlyIn = 1,
    ActsNotIn = 2, // everywhere except the named programs
};

const int MaxWherePrograms = 8;
const int ProgramNameSize = 256; // up to 255 bytes and the terminator
const int WhereTrailerSize = 12;

struct CombinationWhere {
    BYTE kind;
    int count; // 0 for ActsEverywhere, else 1-8
    char names[MaxWherePrograms][ProgramNameSize];
};

void ClearWhere(CombinationWhere* where);
// Adds a name (cut to 255 bytes); false when 8 are there already.
bool AddWhereName(CombinationWhere* where, const char* name);

// The payload bytes the action uses from the start: 1 for DisableCombination
// and BlockKey (the empty text), 5 for ChangeKey, the text and its 0 for the
// text actions (and unknown ones); `limit` + 1 when a text has no 0 before
// `limit`.
int ActionBytesUsed(const CombinationRecord* record, int limit);

// Bytes the where takes at the end of the payload; 0 for everywhere.
int WhereSize(const CombinationWhere* where);
// The longest text a text action can have beside `where` (2999 without one).
int TextRoomFor(const CombinationWhere* where);
// Offset of the stored where in the payload; PayloadSize when there is none.
int WhereStart(const CombinationRecord* record);
// The stored where; everywhere when the record holds none.
void ReadWhere(const CombinationRecord* record, CombinationWhere* where);
// Stores `where` behind the action's bytes, every byte between them 0; for
// everywhere, clears the bytes behind the action. False, with the record
// unchanged, when it does not fit or a name is empty.
bool WriteWhere(CombinationRecord* record, const CombinationWhere* where);

// Whether the name can be a file's name in a folder on Windows: 1 to 255
// bytes, no control character or any of \ / : * ? " < > |, not ending in a
// blank or a dot, not a device name (CON, NUL, COM1, ...).
bool CanBeFileName(const char* name);
// The same program name, letters compared without regard to case.
bool SameProgramName(const char* a, const char* b);
// Whether `where` holds for the program of that file name.
bool WhereHolds(const CombinationWhere* where, const char* program);

// The end of a row's function text: " (only in a.exe, b.exe)" or
// " (not in game.exe)"; empty for everywhere. Cut to `capacity`.
void FormatWhereSuffix(const CombinationWhere* where, char* out, std::size_t capacity);

// Hosts the windows of packaged apps, whose own executables count instead.
extern const char* const PackagedAppHost;
