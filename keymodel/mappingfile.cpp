#include "mappingfile.h"

#include <cstring>

#include "platform.h"

const char* const CorruptFileText =
    "The key combiantions data stored on disk appears to be corrupt! Will ingore it.";
const char* const TooManyRecordsText =
    "The key combinations file holds more than 300 combinations. Only the first 300 were "
    "loaded. The whole file will be kept as \"mapping.mp.bad\" beside the program when the "
    "combinations are next saved.";

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

void ReadCombinationRecord(std::FILE* stream, CombinationRecord* record)
{
    // A short read leaves the rest of the record as it was.
    std::size_t got = std::fread(record, 1, RecordSize, stream);
    (void)got;
}

long StreamSize(std::FILE* stream)
{
    return std::fseek(stream, 0, SEEK_END) == 0 ? std::ftell(stream) : -1;
}

namespace {
MappingLoadResult LoadMapping(CombinationTable* table, CombinationRowProc onRow, bool warn)
{
    char path[PathBufferSize];
    GetMappingFilePath(path);
    std::FILE* stream = OsOpenForRead(path);
    if (!stream)
        return MappingMissing;

    long size = StreamSize(stream);
    if (size < 0 || size % RecordSize != 0) {
        if (warn)
            OsMessageBox(nullptr, CorruptFileText, "WARNING", MB_ICONWARNING | MB_OK);
        std::fclose(stream);
        return MappingRejected;
    }

    long records = size / RecordSize;
    bool cut = records > MaxCombinations;
    table->count = cut ? MaxCombinations : static_cast<int>(records);
    std::fseek(stream, 0, SEEK_SET);
    for (int i = 0; i < table->count; ++i) {
        ReadCombinationRecord(stream, &table->records[i]);
        if (onRow)
            onRow(i, &table->records[i]);
    }
    std::fclose(stream);
    return cut ? MappingCut : MappingLoaded;
}
} // namespace

MappingLoadResult LoadMappingFile(CombinationTable* table, CombinationRowProc onRow)
{
    return LoadMapping(table, onRow, true);
}

MappingLoadResult LoadMappingFileQuietly(CombinationTable* table, CombinationRowProc onRow)
{
    return LoadMapping(table, onRow, false);
}
