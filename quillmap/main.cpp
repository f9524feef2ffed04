// quillmap: the key combinations of "mapping.mp" as text, to read, back up,
// share, check and restore.
#include <cstdio>

#include "commands.h"
#include "keynames.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The platform layer takes UTF-8 paths: the command line is taken wide, so
// that a file name outside the ANSI code page arrives whole.
int main(int, char**)
{
    InitKeyNames();
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return QuillmapFailed;
    std::vector<std::string> texts(static_cast<std::size_t>(count));
    std::vector<char*> argv;
    for (int i = 0; i < count; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        texts[i].resize(n > 0 ? static_cast<std::size_t>(n) : 1);
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &texts[i][0], n, nullptr, nullptr);
        argv.push_back(&texts[i][0]);
    }
    LocalFree(wide);
    argv.push_back(nullptr);
    return RunQuillmap(count, argv.data(), stdin, stdout, stderr);
}
#else
int main(int argc, char** argv)
{
    InitKeyNames();
    return RunQuillmap(argc, argv, stdin, stdout, stderr);
}
#endif
