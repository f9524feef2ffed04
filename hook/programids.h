// The programs that the library's table names, each resolved to a small
// number when the table is loaded, so that whether a combination's where
// holds for the foreground program is a comparison of numbers.
#pragma once

#include "mappingfile.h"
#include "programwhere.h"

const int MaxProgramIds = MaxCombinations * MaxWherePrograms;
const short OtherProgram = 0; // any program that no where names

struct RecordWhereIds {
    BYTE kind;
    BYTE count;
    short ids[MaxWherePrograms];
};

const int ProgramSlotCount = 4096; // a power of two, over the number of names

struct ProgramIdTable {
    int count;            // ids 1 to count are names[0] to names[count - 1]
    bool anyWhere;        // false: every record acts everywhere
    char names[MaxProgramIds][ProgramNameSize]; // folded as file names compare
    short slots[ProgramSlotCount];              // id by hash of the name; 0 free
    RecordWhereIds records[MaxCombinations];
};

// Reads the where of the first `table->count` records and numbers their names.
void BuildProgramIds(ProgramIdTable* ids, const CombinationTable* table);
// The id of a folded program name; OtherProgram when no where names it.
short ProgramIdOf(const ProgramIdTable* ids, const char* folded);
// Whether record `index`'s where holds for the program `id`.
bool RecordActsIn(const ProgramIdTable* ids, int index, short id);
