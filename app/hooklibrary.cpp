#include "hooklibrary.h"

#include <cstdio>
#include <cwchar>

LibraryExports Library;
HMODULE HookLibrary;

namespace {

struct HookLibraryState {
    wchar_t path[32768]; // the longest path Windows knows
};
HookLibraryState Loader;

[[noreturn]] void FailLoading()
{
    MessageBoxA(nullptr, "Failed to load the libray.", "Error loading library", MB_ICONERROR | MB_OK);
    ExitProcess(1);
}

// "Quillhook.dll" in the folder of the program's own file; false when the
// program's path does not fit.
bool LibraryPath(wchar_t* path, DWORD capacity)
{
    const wchar_t name[] = L"Quillhook.dll";
    DWORD length = GetModuleFileNameW(nullptr, path, capacity);
    if (length == 0 || length >= capacity)
        return false;
    wchar_t* separator = std::wcsrchr(path, L'\\');
    if (!separator)
        separator = std::wcsrchr(path, L'/');
    std::size_t folder = separator ? static_cast<std::size_t>(separator + 1 - path) : 0;
    if (folder + sizeof name / sizeof name[0] > capacity)
        return false;
    std::wmemcpy(path + folder, name, sizeof name / sizeof name[0]);
    return true;
}

FARPROC BindExport(const char* name, const char* failureText, const char* caption)
{
    FARPROC address = GetProcAddress(HookLibrary, name);
    if (address)
        return address;
    int error = static_cast<int>(GetLastError());
    char text[1024];
    if (failureText[0])
        std::snprintf(text, sizeof text, failureText, error);
    else
        std::snprintf(text, sizeof text, "Error loading %s. Get Last Error: %d ", name, error);
    MessageBoxA(nullptr, text, caption[0] ? caption : "Can not load DLL function", MB_ICONERROR | MB_OK);
    ExitProcess(1);
}

} // namespace

void RestrictDllSearch()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

void LoadHookLibrary()
{
    if (!LibraryPath(Loader.path, sizeof Loader.path / sizeof Loader.path[0]))
        FailLoading();
    HookLibrary = LoadLibraryExW(Loader.path, nullptr, 0);
    if (!HookLibrary)
        FailLoading();
    // GetProcAddress gives a generic pointer; each export has its own type.
#define QUILLHOOK_EXPORT(name, failureText, caption)                                                  \
    Library.name = reinterpret_cast<name##Fn>(reinterpret_cast<void*>(BindExport(#name, failureText, caption)));
#include "exportlist.h"
#undef QUILLHOOK_EXPORT
    Library.InitializeHookLibrary();
}
