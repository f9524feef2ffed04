// The file half of the platform layer on POSIX systems, for the native
// command-line tool: it reads and writes mapping files like the program but
// has no keyboard, window or thread of its own. Messages go to stderr.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform.h"

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

std::FILE* OsOpenForRead(const char* path) { return std::fopen(path, "rb"); }

std::FILE* OsOpenForWrite(const char* path) { return std::fopen(path, "wb"); }

std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file);
}

bool OsCloseFile(std::FILE* file)
{
    bool ok = std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

bool OsReplaceFile(const char* from, const char* to)
{
    // A write-protected file is kept, as Windows keeps it.
    struct stat target;
    if (stat(to, &target) == 0 && !(target.st_mode & S_IWUSR))
        return false;
    return std::rename(from, to) == 0;
}

bool OsDeleteFile(const char* path) { return std::remove(path) == 0; }
