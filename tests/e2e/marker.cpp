// marker.exe [FILE]: proves that it was started. Writes FILE, or else
// "marker-ran.txt" beside itself (a launch combination passes no arguments),
// with the command line it got.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    char path[MAX_PATH];
    if (argc > 1) {
        std::snprintf(path, sizeof path, "%s", argv[1]);
    } else {
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
        if (length == 0 || length >= sizeof self)
            return 1;
        char* slash = std::strrchr(self, '\\');
        if (slash)
            slash[1] = 0;
        else
            self[0] = 0;
        std::snprintf(path, sizeof path, "%smarker-ran.txt", self);
    }
    std::FILE* marker = std::fopen(path, "a");
    if (!marker)
        return 1;
    std::fprintf(marker, "ran %s\n", GetCommandLineA());
    std::fclose(marker);
    return 0;
}
