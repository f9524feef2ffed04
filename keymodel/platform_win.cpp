// The platform layer on Windows: each function is the Win32 call it names.
#include "platform.h"

#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shellapi.h>

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
    buffer[0] = 0;
    // The folder may hold any letter, also one outside the ANSI code page.
    wchar_t wide[4096];
    DWORD n = GetModuleFileNameW(nullptr, wide, sizeof wide / sizeof wide[0]);
    if (n == 0 || n >= sizeof wide / sizeof wide[0])
        return;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), buffer,
                                     static_cast<int>(capacity - 1), nullptr, nullptr);
    buffer[length > 0 ? length : 0] = 0;
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

bool OsRemoveHook(HHOOK hook)
{
    if (UnhookWindowsHookEx(hook))
        return true;
    DWORD error = GetLastError();
    return error == ERROR_INVALID_HOOK_HANDLE || error == ERROR_INVALID_HANDLE;
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

namespace {
// A UTF-8 path as UTF-16 for the wide calls; false when it does not fit or
// is not UTF-8. The callers' paths are at most 3000 bytes of UTF-8.
const int WidePathSize = 4096;
struct WidePath {
    wchar_t text[WidePathSize];
};

bool Widen(const char* path, WidePath* wide)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide->text, WidePathSize);
    if (n == 0) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

HANDLE HandleOf(std::FILE* file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

std::FILE* Open(const char* path, DWORD access, DWORD share, DWORD disposition, const char* mode,
                DWORD* error)
{
    WidePath wide;
    *error = ERROR_INVALID_NAME;
    if (!Widen(path, &wide))
        return nullptr;
    HANDLE handle = CreateFileW(wide.text, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return nullptr;
    }
    int flags = _O_BINARY | (access == GENERIC_READ ? _O_RDONLY : 0);
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    std::FILE* file = descriptor == -1 ? nullptr : _fdopen(descriptor, mode);
    if (!file) {
        if (descriptor == -1)
            CloseHandle(handle);
        else
            _close(descriptor);
        *error = ERROR_NOT_ENOUGH_MEMORY;
        SetLastError(*error);
    }
    return file;
}

// The read-only rule of OsReplaceFile, for one path.
bool WriteProtected(const WidePath& path)
{
    DWORD attributes = GetFileAttributesW(path.text);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}
} // namespace

std::FILE* OsOpenForRead(const char* path, OsOpenOutcome* outcome)
{
    DWORD error = 0;
    std::FILE* file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, "rb", &error);
    if (file)
        *outcome = OsOpened;
    else
        *outcome = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? OsNoSuchFile : OsCannotOpen;
    return file;
}

std::FILE* OsOpenForWrite(const char* path)
{
    DWORD error = 0;
    return Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, "wb", &error);
}

long long OsFileSize(std::FILE* file)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(HandleOf(file), &size))
        return -1;
    return static_cast<long long>(size.QuadPart);
}

std::size_t OsReadFile(std::FILE* file, void* data, std::size_t size)
{
    return std::fread(data, 1, size, file);
}

std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file);
}

bool OsFlushFile(std::FILE* file)
{
    return std::fflush(file) == 0 && !std::ferror(file) && FlushFileBuffers(HandleOf(file)) != 0;
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
    WidePath wideFrom;
    WidePath wideTo;
    if (!Widen(from, &wideFrom) || !Widen(to, &wideTo))
        return false;
    // A write-protected file stays as it is (Windows refuses to replace it,
    // though it would rename it; some emulations refuse neither, so the rule
    // is kept here).
    if (WriteProtected(wideFrom) || WriteProtected(wideTo)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveFileExW(wideFrom.text, wideTo.text, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool OsDeleteFile(const char* path)
{
    WidePath wide;
    return Widen(path, &wide) && DeleteFileW(wide.text) != 0;
}
