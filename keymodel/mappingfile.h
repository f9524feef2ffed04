// Combination records, the in-memory table and the file "mapping.mp".
#pragma once

#include <cstddef>
#include <cstdio>

#include "win32types.h"

const int PayloadSize = 3000;
const int RecordSize = 3257;
const int MaxCombinations = 300;
const int PathBufferSize = 3000;

enum ActionKind : BYTE {
    DisableCombination = 0,
    TypeText = 1,
    LaunchApplication = 2,
    GoToUrl = 3,
    ChangeKey = 4,
    BlockKey = 5,
};

// The same 3257 bytes in memory and in the file.
struct CombinationRecord {
    BYTE keys[256];
    BYTE action;
    char payload[PayloadSize];
};
static_assert(sizeof(CombinationRecord) == RecordSize, "a record is 3257 bytes with no padding");
static_assert(offsetof(CombinationRecord, action) == 256, "action follows the keys");
static_assert(offsetof(CombinationRecord, payload) == 257, "payload follows the action");

// ChangeKey payload bytes.
const int TargetByte = 0;
const int CtrlByte = 1;
const int AltByte = 2;
const int ShiftByte = 3;

struct CombinationTable {
    CombinationRecord records[MaxCombinations];
    int count;
};

// Length of a payload text: up to its terminator, at most the whole field, so
// that a record from a damaged file is never read past its payload.
std::size_t PayloadTextLength(const char* payload);

// The executable's directory with its trailing separator (3000-byte buffer).
void GetProgramDirectory(char* directory);
// The directory followed by "mapping.mp" (3000-byte buffer).
void GetMappingFilePath(char* path);

enum MappingLoadResult {
    MappingMissing,    // no file (nor its folder): table unchanged
    MappingUnreadable, // there, but it could not be opened or read whole: table unchanged
    MappingRejected,   // size not a whole number of records: table unchanged
    MappingLoaded,     // every record loaded
    MappingCut,        // more than 300 records: the first 300 loaded
};

// Receives each record with its index once the table holds the file's
// records (the program's combination list).
typedef void (*CombinationRowProc)(int index, const CombinationRecord* record);

// The one rule by which the program, the library and quillmap read a
// mapping file. No message: each caller says what the result means to it.
// The table changes only when the whole read succeeded; with a null table
// the file is only looked at. `takeDamaged` also takes the whole records
// (at most 300) of a file of the wrong size, which quillmap shows. `size`,
// when given, receives the file's size (-1 unless it was opened and sized).
MappingLoadResult ReadMappingFileAt(const char* path, CombinationTable* table, CombinationRowProc onRow,
                                    bool takeDamaged, long long* size);
// The file beside the program, by the same rule.
MappingLoadResult LoadMappingFile(CombinationTable* table, CombinationRowProc onRow);

// The registered window message that makes a running program load the file
// again (sent by the command-line tool after it has written the file).
const char* const ReloadMappingMessageName = "QuillonReloadMapping";

// The boxes' texts, all with the caption "WARNING".
extern const char* const CorruptFileText;
extern const char* const UnreadableFileText;
extern const char* const TooManyRecordsText;
extern const char* const WriteFailedText;
// Shows one of them, unless one is open already (`boxOpen`): a box lets
// other messages run, a reload among them, and a burst shows one box.
void WarnOnce(bool* boxOpen, const char* text);
