// The file calls of the platform layer on POSIX systems, once: the native
// command-line tool uses them through platform_posix.cpp, and the tests'
// fake wraps them with its fault switches.
#pragma once

#include "platform.h"

std::FILE* PosixOpenForRead(const char* path, OsOpenOutcome* outcome);
std::FILE* PosixOpenForWrite(const char* path);
long long PosixFileSize(std::FILE* file);
std::size_t PosixReadFile(std::FILE* file, void* data, std::size_t size);
std::size_t PosixWriteFile(std::FILE* file, const void* data, std::size_t size);
bool PosixFlushFile(std::FILE* file);
bool PosixCloseFile(std::FILE* file);
bool PosixReplaceFile(const char* from, const char* to);
bool PosixDeleteFile(const char* path);
