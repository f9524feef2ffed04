// The commands of quillmap, on paths and open streams (main.cpp only hands
// them the command line, stdout and stderr).
#pragma once

#include <cstdio>

// Exit codes.
const int QuillmapOk = 0;
const int QuillmapFailed = 1;   // an error, or check found something
const int QuillmapUsage = 2;
const int QuillmapPartial = 3;  // export: written, but something could not be carried

int RunShow(const char* file, std::FILE* out, std::FILE* err);
int RunExport(const char* file, std::FILE* out, std::FILE* err);
// TEXT is a path or "-" for `in`. Nothing is written unless every line reads.
int RunImport(const char* textPath, std::FILE* in, const char* file, std::FILE* out, std::FILE* err);
int RunCheck(const char* file, std::FILE* out, std::FILE* err);

// quillmap COMMAND [ARGS]; FILE defaults to "mapping.mp".
int RunQuillmap(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);
