#include "programfile.h"

#include <cstring>

#include "mappingwriter.h"
#include "platform.h"

ProgramFileState ProgramFile;

namespace {
CombinationTable Fresh; // the file's records, before they are taken in

void Warn(const char* text) { WarnOnce(&ProgramFile.boxOpen, text); }

// What came of reading an unread file again: TooFull when it reads whole but
// with what was made meanwhile it would hold more than the table.
enum Intake { TakenIn, NothingToTake, TooFull };

// Reads the unread file again. Whole, it comes first and what was made
// meanwhile follows, as if it had been read at start-up.
Intake TakeFileIn(CombinationTable* table, MappingLoadResult* result)
{
    *result = LoadMappingFile(&Fresh, nullptr);
    if (*result == MappingUnreadable)
        return NothingToTake;
    if (*result != MappingLoaded && *result != MappingCut) {
        // Gone, or damaged: the writer's own rule applies to it now.
        ProgramFile.unread = false;
        return NothingToTake;
    }
    if (Fresh.count + table->count > MaxCombinations)
        return TooFull;
    std::memcpy(&Fresh.records[Fresh.count], table->records,
                static_cast<std::size_t>(table->count) * sizeof(CombinationRecord));
    Fresh.count += table->count;
    std::memcpy(table->records, Fresh.records, static_cast<std::size_t>(Fresh.count) * sizeof(CombinationRecord));
    table->count = Fresh.count;
    ProgramFile.unread = false;
    if (ProgramFile.listTable)
        ProgramFile.listTable();
    return TakenIn;
}

void SayUnreadable(ProgramLoadOccasion occasion)
{
    if (!ProgramFile.reported && occasion == LoadOnDialogOpen)
        Warn(UnreadableFileText);
    ProgramFile.reported = true;
}
} // namespace

MappingLoadResult LoadProgramTable(CombinationTable* table, ProgramLoadOccasion occasion)
{
    MappingLoadResult result;
    if (ProgramFile.unread) {
        int made = table->count;
        if (TakeFileIn(table, &result) == TakenIn) {
            // The library takes the file in with the save, or at once.
            if (made > 0)
                SaveProgramTable(table);
            else if (MappingReload)
                MappingReload();
        }
    } else {
        result = LoadMappingFile(table, nullptr);
        if (result == MappingUnreadable && occasion == LoadAtStartup)
            ProgramFile.unread = true;
    }
    if (result == MappingUnreadable) {
        SayUnreadable(occasion);
        return result;
    }
    ProgramFile.reported = false;
    // A file of more than 300 records the library has said at its load.
    if (result == MappingRejected && occasion == LoadOnDialogOpen)
        Warn(CorruptFileText);
    return result;
}

bool SaveProgramTable(CombinationTable* table)
{
    char path[PathBufferSize];
    GetMappingFilePath(path);
    if (ProgramFile.unread) {
        MappingLoadResult result;
        // Too full to take in: it is kept aside whole before the table replaces it.
        if (TakeFileIn(table, &result) == TooFull && !KeepMappingFileAside(path)) {
            ReportWriteFailure();
            return false;
        }
    }
    if (!SaveMappingFile(table))
        return false;
    ProgramFile.unread = false;
    ProgramFile.reported = false;
    return true;
}
