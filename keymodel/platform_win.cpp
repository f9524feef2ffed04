// The platform layer on Windows: each function is the Win32 call it names.
#include "platform.h"

#include <objbase.h>
#include <shellapi.h>
#include <share.h>

#include <cstring>
#include <initializer_list>

int OsMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

void OsMessageBeep(UINT type) { MessageBeep(type); }

void OsSleep(DWORD milliseconds) { Sleep(milliseconds); }

void OsExitProcess(UINT code) { ExitProcess(code); }

DWORD OsLastError() { return GetLastError(); }

void OsSystemErrorText(DWORD code, char* buffer, std::size_t capacity)
{
    if (capacity == 0)
        return;
    buffer[0] = 0;
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr)
        return;
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    std::size_t n = length < capacity - 1 ? length : capacity - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = 0;
    LocalFree(text);
}

void OsExecutablePath(char* buffer, std::size_t capacity)
{
    if (capacity == 0)
        return;
    DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(capacity));
    if (n >= capacity)
        n = static_cast<DWORD>(capacity - 1);
    buffer[n] = 0;
}

void OsSendKeys(const OsKeyInput* inputs, int count)
{
    INPUT events[OsMaxKeyInputs];
    for (int from = 0; from < count; from += OsMaxKeyInputs) {
        int n = count - from < OsMaxKeyInputs ? count - from : OsMaxKeyInputs;
        for (int i = 0; i < n; ++i) {
            std::memset(&events[i], 0, sizeof events[i]);
            events[i].type = INPUT_KEYBOARD;
            events[i].ki.wVk = inputs[from + i].vk;
            events[i].ki.wScan = inputs[from + i].scan;
            events[i].ki.dwFlags = inputs[from + i].flags;
            events[i].ki.dwExtraInfo = inputs[from + i].extraInfo;
        }
        SendInput(static_cast<UINT>(n), events, sizeof(INPUT));
    }
}

OsLayout OsForegroundLayout()
{
    HWND foreground = GetForegroundWindow();
    DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    return reinterpret_cast<OsLayout>(GetKeyboardLayout(thread));
}

unsigned OsScanCodeOf(BYTE vk, OsLayout layout)
{
    HKL hkl = layout ? reinterpret_cast<HKL>(layout) : GetKeyboardLayout(0);
    return MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC_EX, hkl);
}

bool OsAsyncKeyDown(BYTE vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

bool OsCapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

int OsAnsiToUnicode(const char* text, int length, unsigned short* wide, int capacity)
{
    if (length == 0)
        return 0;
    return MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(wide), capacity);
}

short OsVkKeyScan(unsigned short character, OsLayout layout)
{
    return VkKeyScanExW(static_cast<wchar_t>(character), reinterpret_cast<HKL>(layout));
}

bool OsIsCasedLetter(unsigned short character)
{
    // With a value below 0x10000 the calls convert that one character.
    ULONG_PTR upper = reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(character))));
    ULONG_PTR lower = reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(character))));
    return (upper & 0xFFFF) != (lower & 0xFFFF);
}

LRESULT OsCallNextHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND OsDesktopWindow() { return GetDesktopWindow(); }

void OsSetWindowText(HWND window, const char* text) { SetWindowTextA(window, text); }

void OsShellOpen(HWND owner, const char* file)
{
    ShellExecuteA(owner, "open", file, nullptr, nullptr, SW_SHOWNORMAL);
}

void OsInitShellThread()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

namespace {
struct ThreadStart {
    OsThreadProc proc;
    void* argument;
};
ThreadStart g_starts[8];
LONG g_startCount = 0;

DWORD WINAPI ThreadEntry(LPVOID parameter)
{
    ThreadStart* start = static_cast<ThreadStart*>(parameter);
    start->proc(start->argument);
    return 0;
}
} // namespace

bool OsStartThread(OsThreadProc proc, void* argument)
{
    // The library starts a fixed, small number of threads for the whole run.
    LONG slot = InterlockedIncrement(&g_startCount) - 1;
    if (slot >= static_cast<LONG>(sizeof g_starts / sizeof g_starts[0])) {
        SetLastError(ERROR_TOO_MANY_TCBS);
        return false;
    }
    g_starts[slot].proc = proc;
    g_starts[slot].argument = argument;
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, &g_starts[slot], 0, nullptr);
    if (thread == nullptr)
        return false;
    CloseHandle(thread);
    return true;
}

void OsLockInit(OsLock* lock) { InitializeCriticalSection(&lock->section); }
void OsLockEnter(OsLock* lock) { EnterCriticalSection(&lock->section); }
void OsLockLeave(OsLock* lock) { LeaveCriticalSection(&lock->section); }

bool OsSignalInit(OsSignal* signal)
{
    signal->event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return signal->event != nullptr;
}
void OsSignalRaise(OsSignal* signal) { SetEvent(signal->event); }
void OsSignalWait(OsSignal* signal, DWORD milliseconds)
{
    WaitForSingleObject(signal->event, milliseconds);
}

void* OsAllocate(std::size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void OsFree(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

std::FILE* OsOpenForRead(const char* path) { return _fsopen(path, "rb", _SH_DENYWR); }

std::FILE* OsOpenForWrite(const char* path) { return _fsopen(path, "wb", _SH_DENYRW); }

std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file);
}

bool OsCloseFile(std::FILE* file)
{
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

bool OsReplaceFile(const char* from, const char* to)
{
    // A write-protected file stays as it is (Windows refuses to replace it,
    // though it would rename it; some emulations refuse neither, so the rule
    // is kept here).
    for (const char* path : {from, to}) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool OsDeleteFile(const char* path) { return DeleteFileA(path) != 0; }
