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

void ReadCombinationRecord(std::FILE* stream, CombinationRecord* record);

// Size of an open file, the position left at its end; -1 when unknown.
long StreamSize(std::FILE* stream);

enum MappingLoadResult {
    MappingMissing,  // no file, or it could not be opened: table unchanged
    MappingRejected, // size not a whole number of records: warned, table unchanged
    MappingLoaded,   // every record loaded
    MappingCut,      // more than 300 records: the first 300 loaded
};

// Receives each record with its index right after it is read (the program's
// combination list); null in the library.
typedef void (*CombinationRowProc)(int index, const CombinationRecord* record);

// A cut file is not warned about here: the caller shows TooManyRecordsText
// ("WARNING") once it has taken the rows, since a message box lets the hook run.
MappingLoadResult LoadMappingFile(CombinationTable* table, CombinationRowProc onRow);
// The same without the warning, for a file that the library has reported.
MappingLoadResult LoadMappingFileQuietly(CombinationTable* table, CombinationRowProc onRow);

// The registered window message that makes a running program load the file
// again (sent by the command-line tool after it has written the file).
const char* const ReloadMappingMessageName = "QuillonReloadMapping";

extern const char* const CorruptFileText;
extern const char* const TooManyRecordsText;
extern const char* const WriteFailedText;
