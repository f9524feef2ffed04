// The program's table and its mapping file: when the file is read, what the
// program says of it, and that a save never replaces a file that the
// program has not read.
#pragma once

#include "mappingfile.h"

struct ProgramFileState {
    // The file was there but could not be read at start-up, and has not
    // been read since: the table holds only what was made meanwhile.
    bool unread;
    // UnreadableFileText has been said (by the library at start-up, or here),
    // once until the file reads again.
    bool reported;
    bool boxOpen;
    // Lists the table again after it took the file in (the open dialog's
    // rows); may be null.
    void (*listTable)();
};
extern ProgramFileState ProgramFile;

enum ProgramLoadOccasion {
    LoadAtStartup,    // right after the library loaded and said what it found: quiet
    LoadOnDialogOpen, // the main dialog opens: a damaged or unreadable file is said
    LoadOnRequest,    // another program wrote the file; the library has said what it found
};

// Loads `table` from the file beside the program. An unread file that now
// reads whole becomes the table (the library's too), followed by what was
// made meanwhile, which is then saved.
MappingLoadResult LoadProgramTable(CombinationTable* table, ProgramLoadOccasion occasion);

// Saves `table` after a change (SaveMappingFile: "Error..." on failure, the
// library's reload on success). An unread file is read again first and
// taken in; while it still cannot be read the writer keeps it aside.
bool SaveProgramTable(CombinationTable* table);
