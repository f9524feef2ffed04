#include "posixfiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

std::FILE* PosixOpenForRead(const char* path, OsOpenOutcome* outcome)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file)
        *outcome = OsOpened;
    else
        *outcome = (errno == ENOENT || errno == ENOTDIR) ? OsNoSuchFile : OsCannotOpen;
    return file;
}

std::FILE* PosixOpenForWrite(const char* path) { return std::fopen(path, "wb"); }

long long PosixFileSize(std::FILE* file)
{
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return static_cast<long long>(status.st_size);
}

std::size_t PosixReadFile(std::FILE* file, void* data, std::size_t size)
{
    return std::fread(data, 1, size, file);
}

std::size_t PosixWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file);
}

bool PosixFlushFile(std::FILE* file)
{
    return std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
}

bool PosixCloseFile(std::FILE* file)
{
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

bool PosixReplaceFile(const char* from, const char* to)
{
    // As on Windows, a write-protected file is neither moved nor replaced
    // (checked here: root ignores the bits).
    for (const char* path : {from, to}) {
        struct stat status;
        if (stat(path, &status) == 0 && !(status.st_mode & S_IWUSR)) {
            errno = EACCES;
            return false;
        }
    }
    return std::rename(from, to) == 0;
}

bool PosixDeleteFile(const char* path) { return std::remove(path) == 0; }
