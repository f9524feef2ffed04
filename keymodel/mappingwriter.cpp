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

// True when a file stands at `path` that Quillon has not read whole: one
// that a load would reject or cut, or that cannot be read now.
bool HoldsUnloadedData(const char* path)
{
    MappingLoadResult found = ReadMappingFileAt(path, nullptr, nullptr, false, nullptr);
    return found != MappingMissing && found != MappingLoaded;
}
} // namespace

void ReportWriteFailure()
{
    OsMessageBox(nullptr, WriteFailedText, "Error...", MB_ICONERROR | MB_OK);
}

bool KeepMappingFileAside(const char* path)
{
    char damaged[SidePathSize];
    std::snprintf(damaged, sizeof damaged, "%s.bad", path);
    return OsReplaceFile(path, damaged);
}

bool WriteMappingFileAt(const char* path, const CombinationTable* table)
{
    char temporary[SidePathSize];
    std::snprintf(temporary, sizeof temporary, "%s.tmp", path);

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
    // On the disk before it is swapped in: a power cut just after the swap
    // must not leave a file that is then rejected.
    if (ok && !OsFlushFile(stream))
        ok = false;
    if (!OsCloseFile(stream))
        ok = false;
    if (ok && HoldsUnloadedData(path))
        ok = KeepMappingFileAside(path);
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
