#include "reloadnotice.h"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>

#include "mappingfile.h"
#include "quillonversion.h"

namespace {
const DWORD WideSize = 4096;

// Volume and file index: the same file whatever name leads to it (case,
// short names, drive letters).
bool FileIdentity(const wchar_t* path, BY_HANDLE_FILE_INFORMATION* identity)
{
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileInformationByHandle(file, identity) != 0;
    CloseHandle(file);
    return ok;
}

// Whether `writtenFile` is the mapping file beside the program of `window`.
bool IsQuillonsFile(HWND window, const char* writtenFile)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    wchar_t own[WideSize];
    DWORD length = WideSize - 16;
    bool named = QueryFullProcessImageNameW(process, 0, own, &length) != 0;
    CloseHandle(process);
    if (!named)
        return false;
    wchar_t* separator = std::wcsrchr(own, L'\\');
    if (!separator)
        return false;
    std::wcscpy(separator + 1, L"mapping.mp");
    wchar_t written[WideSize];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, writtenFile, -1, written, WideSize) == 0)
        return false;
    BY_HANDLE_FILE_INFORMATION a, b;
    return FileIdentity(own, &a) && FileIdentity(written, &b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}
} // namespace

ReloadNotice TellQuillonToReload(const char* writtenFile)
{
    // One instance runs per session, and the class of its hidden main window
    // is the program's own: posting to that window alone spares every other
    // program a broadcast.
    HWND window = FindWindowA(QUILLON_WINDOW_CLASS, nullptr);
    if (!window)
        return QuillonNotRunning;
    if (!IsQuillonsFile(window, writtenFile))
        return QuillonOtherFile;
    UINT message = RegisterWindowMessageA(ReloadMappingMessageName);
    if (message == 0 || !PostMessageA(window, message, 0, 0))
        return QuillonNotTold;
    return QuillonTold;
}
#else
ReloadNotice TellQuillonToReload(const char*) { return QuillonNotRunning; }
#endif
