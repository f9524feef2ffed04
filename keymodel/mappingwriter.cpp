#include "mappingwriter.h"

#include <cstring>

#include "platform.h"

const char* const WriteFailedText =
    "There was a problem attempting to Write the combinations to the Disk. You changes can "
    "not be saved. Maybe the file is write protected?";

ReloadProc MappingReload = nullptr;

bool WriteCombinationRecord(std::FILE* stream, const CombinationRecord* record)
{
    return OsWriteFile(stream, record, RecordSize) == static_cast<std::size_t>(RecordSize);
}

namespace {
const int SidePathSize = PathBufferSize + 16;

void ReportWriteFailure()
{
    OsMessageBox(nullptr, WriteFailedText, "Error...", MB_ICONERROR | MB_OK);
}

// True when a file stands at `path` that a load would reject or cut.
bool HoldsUnloadedData(const char* path)
{
    std::FILE* stream = OsOpenForRead(path);
    if (!stream)
        return false;
    long size = StreamSize(stream);
    std::fclose(stream);
    return size < 0 || size % RecordSize != 0 ||
           size > static_cast<long>(MaxCombinations) * RecordSize;
}
} // namespace

bool WriteMappingFileAt(const char* path, const CombinationTable* table)
{
    char temporary[SidePathSize];
    char damaged[SidePathSize];
    std::snprintf(temporary, sizeof temporary, "%s.tmp", path);
    std::snprintf(damaged, sizeof damaged, "%s.bad", path);

    std::FILE* stream = OsOpenForWrite(temporary);
    if (!stream)
        return false;
    int count = table->count;
    if (count < 0)
        count = 0;
    if (count > MaxCombinations)
        count = MaxCombinations;
    bool ok = true;
    for (int i = 0; i < count && ok; ++i)
        ok = WriteCombinationRecord(stream, &table->records[i]);
    if (!OsCloseFile(stream))
        ok = false;
    if (ok && HoldsUnloadedData(path))
        ok = OsReplaceFile(path, damaged);
    if (ok)
        ok = OsReplaceFile(temporary, path);
    if (!ok)
        OsDeleteFile(temporary);
    return ok;
}

bool SaveMappingFile(const CombinationTable* table)
{
    char path[PathBufferSize];
    GetMappingFilePath(path);
    if (!WriteMappingFileAt(path, table)) {
        ReportWriteFailure();
        return false;
    }
    if (MappingReload)
        MappingReload();
    return true;
}
