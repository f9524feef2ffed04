#include "mappingfile.h"

#include <cstring>

#include "platform.h"

const char* const CorruptFileText =
    "The key combiantions data stored on disk appears to be corrupt! Will ingore it.";
const char* const TooManyRecordsText =
    "The key combinations file holds more than 300 combinations. Only the first 300 were "
    "loaded. The whole file will be kept as \"mapping.mp.bad\" beside the program when the "
    "combinations are next saved.";
const char* const UnreadableFileText =
    "The key combinations file \"mapping.mp\" is there but cannot be read now: another program may "
    "be holding it. The combinations in it are kept and nothing is overwritten. Quillon reads the "
    "file again when the main window opens and before it saves a change.";

std::size_t PayloadTextLength(const char* payload)
{
    const void* end = std::memchr(payload, 0, PayloadSize);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - payload) : PayloadSize;
}

void GetProgramDirectory(char* directory)
{
    OsExecutablePath(directory, PathBufferSize);
    char* separator = std::strrchr(directory, '\\');
    if (!separator)
        separator = std::strrchr(directory, '/');
    if (separator)
        separator[1] = 0;
}

void GetMappingFilePath(char* path)
{
    char directory[PathBufferSize];
    GetProgramDirectory(directory);
    if (std::snprintf(path, PathBufferSize, "%s%s", directory, "mapping.mp") >= PathBufferSize)
        path[PathBufferSize - 1] = 0; // cut, like any text kept in a bounded buffer
}

namespace {
// Records are read here first, so that a read that fails half-way leaves
// the caller's table as it was.
CombinationTable Scratch;
} // namespace

MappingLoadResult ReadMappingFileAt(const char* path, CombinationTable* table, CombinationRowProc onRow,
                                    bool takeDamaged, long long* size)
{
    if (size)
        *size = -1;
    OsOpenOutcome outcome = OsCannotOpen;
    std::FILE* stream = OsOpenForRead(path, &outcome);
    if (!stream)
        return outcome == OsNoSuchFile ? MappingMissing : MappingUnreadable;
    long long bytes = OsFileSize(stream);
    if (bytes < 0) {
        OsCloseFile(stream);
        return MappingUnreadable;
    }
    if (size)
        *size = bytes;
    MappingLoadResult result = bytes % RecordSize != 0                         ? MappingRejected
                               : bytes > static_cast<long long>(MaxCombinations) * RecordSize ? MappingCut
                                                                                              : MappingLoaded;
    if (result == MappingRejected && !takeDamaged) {
        OsCloseFile(stream);
        return result;
    }
    long long whole = bytes / RecordSize;
    int count = whole > MaxCombinations ? MaxCombinations : static_cast<int>(whole);
    std::size_t wanted = static_cast<std::size_t>(count) * RecordSize;
    bool read = OsReadFile(stream, Scratch.records, wanted) == wanted;
    OsCloseFile(stream);
    if (!read)
        return MappingUnreadable;
    if (!table)
        return result;
    std::memcpy(table->records, Scratch.records, wanted);
    table->count = count;
    if (onRow) {
        for (int i = 0; i < count; ++i)
            onRow(i, &table->records[i]);
    }
    return result;
}

MappingLoadResult LoadMappingFile(CombinationTable* table, CombinationRowProc onRow)
{
    char path[PathBufferSize];
    GetMappingFilePath(path);
    return ReadMappingFileAt(path, table, onRow, false, nullptr);
}

void WarnOnce(bool* boxOpen, const char* text)
{
    if (*boxOpen)
        return;
    *boxOpen = true;
    OsMessageBox(nullptr, text, "WARNING", MB_ICONWARNING | MB_OK);
    *boxOpen = false;
}
