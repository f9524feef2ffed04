// The platform layer on Windows: the foreground window and its program.
#include "platform.h"

#include <cwchar>

namespace {

struct ProgramsState {
    void (*foregroundChanged)();
    HWINEVENTHOOK foregroundWatch;
    void (*later)();
    UINT_PTR laterTimer;
    wchar_t path[32768]; // the longest path Windows knows
};
ProgramsState Programs;

void CALLBACK OnForeground(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    if (Programs.foregroundChanged)
        Programs.foregroundChanged();
}

void CALLBACK OnLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (timer != Programs.laterTimer)
        return;
    Programs.laterTimer = 0;
    if (Programs.later)
        Programs.later();
}

// The process's executable's file name, in the ANSI code page; false when
// it cannot be had or written there.
bool ProgramOfProcess(DWORD process, char* name, std::size_t capacity)
{
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle)
        return false;
    DWORD size = sizeof Programs.path / sizeof Programs.path[0];
    BOOL got = QueryFullProcessImageNameW(handle, 0, Programs.path, &size);
    CloseHandle(handle);
    if (!got || size == 0)
        return false;
    const wchar_t* file = std::wcsrchr(Programs.path, L'\\');
    file = file ? file + 1 : Programs.path;
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, file, -1, name, static_cast<int>(capacity),
                                nullptr, &lost);
    return n > 1 && !lost;
}

struct HostedSearch {
    DWORD host;
    DWORD app;
};

BOOL CALLBACK FindHostedApp(HWND child, LPARAM parameter)
{
    HostedSearch* search = reinterpret_cast<HostedSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(child, &process);
    if (process == search->host || process == 0)
        return TRUE;
    search->app = process;
    return FALSE;
}

} // namespace

ProgramLookup OsProgramOfWindow(HWND window, char* name, std::size_t capacity)
{
    if (capacity == 0)
        return ProgramUnknown;
    name[0] = 0;
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) || !ProgramOfProcess(process, name, capacity)) {
        name[0] = 0;
        return ProgramUnknown;
    }
    if (lstrcmpiA(name, "ApplicationFrameHost.exe") != 0)
        return ProgramFound;
    // A packaged app's window is a child of the host's frame, in the app's process.
    HostedSearch search = {process, 0};
    EnumChildWindows(window, FindHostedApp, reinterpret_cast<LPARAM>(&search));
    char app[MAX_PATH * 2];
    if (search.app == 0 || !ProgramOfProcess(search.app, app, sizeof app))
        return ProgramHostOnly;
    lstrcpynA(name, app, static_cast<int>(capacity));
    return ProgramFound;
}

HWND OsForegroundWindow() { return GetForegroundWindow(); }

bool OsWatchForeground(void (*changed)())
{
    Programs.foregroundChanged = changed;
    if (!Programs.foregroundWatch)
        Programs.foregroundWatch = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                                   OnForeground, 0, 0, WINEVENT_OUTOFCONTEXT);
    return Programs.foregroundWatch != nullptr;
}

void OsCallLater(DWORD milliseconds, void (*proc)())
{
    if (Programs.laterTimer)
        KillTimer(nullptr, Programs.laterTimer);
    Programs.later = proc;
    Programs.laterTimer = SetTimer(nullptr, 0, milliseconds, OnLater);
}

void OsFoldProgramName(const char* name, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return;
    wchar_t wide[MAX_PATH * 2];
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, sizeof wide / sizeof wide[0]);
    if (n <= 0) {
        lstrcpynA(out, name, static_cast<int>(capacity));
        return;
    }
    // Upper case the way the file system compares names, whatever the user's language.
    wchar_t upper[MAX_PATH * 2];
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide, n, upper, n) != n ||
        WideCharToMultiByte(CP_ACP, 0, upper, -1, out, static_cast<int>(capacity), nullptr, nullptr) <= 0)
        lstrcpynA(out, name, static_cast<int>(capacity));
}
