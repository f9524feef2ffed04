// The platform layer on POSIX systems, for the native command-line tool: it
// reads and writes mapping files like the program but has no keyboard,
// window or thread of its own. Messages go to stderr.
#include <unistd.h>

#include <cstdio>

#include "platform.h"
#include "posixfiles.h"

int OsMessageBox(HWND, const char* text, const char* caption, UINT)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}

void OsExecutablePath(char* buffer, std::size_t capacity)
{
    if (capacity == 0)
        return;
    ssize_t n = readlink("/proc/self/exe", buffer, capacity - 1);
    buffer[n > 0 ? n : 0] = 0;
}

std::FILE* OsOpenForRead(const char* path, OsOpenOutcome* outcome) { return PosixOpenForRead(path, outcome); }
std::FILE* OsOpenForWrite(const char* path) { return PosixOpenForWrite(path); }
long long OsFileSize(std::FILE* file) { return PosixFileSize(file); }
std::size_t OsReadFile(std::FILE* file, void* data, std::size_t size) { return PosixReadFile(file, data, size); }
std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return PosixWriteFile(file, data, size);
}
bool OsFlushFile(std::FILE* file) { return PosixFlushFile(file); }
bool OsCloseFile(std::FILE* file) { return PosixCloseFile(file); }
bool OsReplaceFile(const char* from, const char* to) { return PosixReplaceFile(from, to); }
bool OsDeleteFile(const char* path) { return PosixDeleteFile(path); }
