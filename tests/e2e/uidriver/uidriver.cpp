// uidriver.exe COMMAND ARGS...: drives another process's windows for the
// end-to-end suites. Prints its answer on stdout; exit code 0 = done or true,
// 1 = not found or false, 2 = usage.
//
//   list                          every top-level window: hwnd pid class "title" visible
//   find CLASS TITLE              first top-level window with that class and title ("-" = any)
//   findvisible CLASS TITLE       the same, visible windows only
//   text HWND [ID]                text of the window or of its child ID
//   checked HWND ID               1 if the button is checked, else 0
//   enabled HWND [ID]             1 if enabled, else 0
//   visible HWND                  1 if visible, else 0
//   iconic HWND                   1 if minimised, else 0
//   owner HWND                    the owner window
//   pid HWND                      the owning process id
//   click HWND ID                 posts BM_CLICK to child ID
//   post HWND MSG WPARAM LPARAM   posts a message (numbers: decimal or 0x hex)
//   send HWND MSG WPARAM LPARAM   sends a message (5 s timeout); prints the result
//   tray HWND LPARAM              posts the tray callback (1025, icon 110, LPARAM)
//   broadcast NAME                posts the registered message NAME to every top-level window
//   trayhas HWND                  1 if the shell holds tray icon 110 of HWND, else 0
//   traydelete HWND               removes tray icon 110 of HWND from the shell
//   rows HWND ID                  rows of list view ID, one "col0<TAB>col1" line each
//   colwidth HWND ID COLUMN       width in pixels of a column of list view ID
//   colfits HWND ID               per column of list view ID: "COLUMN WIDTH NEEDED", the
//                                 longest row text (LVM_GETSTRINGWIDTH) and its padding
//                                 (12 pixels at 96 DPI); 0 when every column fits
//   dpi HWND                      "dpi=N awareness=A" of the window (A: 0 unaware,
//                                 1 system, 2 per monitor)
//   select HWND ID ROWS           selects exactly the rows (comma list, "" = none) of list view ID
//   style HWND [ID]               window style and extended style in hex
//   rect HWND [ID]                screen rectangle: left top right bottom
//   version FILE                  a file's version resource: "fixed F.F.F.F P.P.P.P",
//                                 "translation LLLL CCCC", then "Name=value" per string
//   focus HWND                    control id of the focus in HWND's thread (0: none or not a control)
//   prop HWND NAME                the window property NAME as a number (0 when it has none)
//   autorun                       the value "QuillonStarup" of HKCU's Run key, as UTF-8
//   hold FILE READY               opens FILE sharing nothing, writes READY, and holds FILE
//                                 until READY is removed
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "uiwindow.h"

namespace {

struct FindRequest {
    const char* className;
    const char* title;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM lParam)
{
    FindRequest* request = reinterpret_cast<FindRequest*>(lParam);
    if (request->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    char className[256];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(request->className, "-") != 0 && std::strcmp(request->className, className) != 0)
        return TRUE;
    if (std::strcmp(request->title, "-") != 0) {
        char title[UiTextSize];
        UiReadText(window, title, sizeof title);
        if (std::strcmp(request->title, title) != 0)
            return TRUE;
    }
    request->found = window;
    return FALSE;
}

BOOL CALLBACK ListProc(HWND window, LPARAM)
{
    char className[256];
    char title[UiTextSize];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("0x%llx %lu %s \"%s\" %d\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                static_cast<unsigned long>(pid), className, title, IsWindowVisible(window) ? 1 : 0);
    return TRUE;
}

// Memory inside the list view's process: list-view messages carry pointers
// that the target reads in its own address space.
struct RemoteBlock {
    HANDLE process;
    char* base;
    SIZE_T size;
};

bool OpenRemote(HWND window, SIZE_T size, RemoteBlock* block)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    block->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!block->process)
        return false;
    block->size = size;
    block->base = static_cast<char*>(
        VirtualAllocEx(block->process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return block->base != nullptr;
}

void CloseRemote(RemoteBlock* block)
{
    if (block->base)
        VirtualFreeEx(block->process, block->base, 0, MEM_RELEASE);
    if (block->process)
        CloseHandle(block->process);
}

bool RemoteItemText(HWND list, const RemoteBlock* block, int row, int column, char* text, int size)
{
    LVITEMA item = {};
    item.iSubItem = column;
    item.cchTextMax = size;
    item.pszText = block->base + sizeof(LVITEMA);
    SIZE_T moved = 0;
    if (!WriteProcessMemory(block->process, block->base, &item, sizeof item, &moved))
        return false;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block->base));
    if (!ReadProcessMemory(block->process, block->base + sizeof(LVITEMA), text, static_cast<SIZE_T>(size), &moved))
        return false;
    text[size - 1] = '\0';
    return true;
}

int Rows(HWND list)
{
    if (!list)
        return 1;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    RemoteBlock block = {};
    if (!OpenRemote(list, sizeof(LVITEMA) + UiTextSize, &block)) {
        CloseRemote(&block);
        std::fprintf(stderr, "cannot reach the list view's process\n");
        return 1;
    }
    static char first[UiTextSize];
    static char second[UiTextSize];
    for (int row = 0; row < count; ++row) {
        RemoteItemText(list, &block, row, 0, first, UiTextSize);
        RemoteItemText(list, &block, row, 1, second, UiTextSize);
        std::printf("%s\t%s\n", first, second);
    }
    CloseRemote(&block);
    return 0;
}

bool SetRowState(HWND list, const RemoteBlock* block, int row, UINT state)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = state;
    SIZE_T moved = 0;
    if (!WriteProcessMemory(block->process, block->base, &item, sizeof item, &moved))
        return false;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block->base));
    return true;
}

int Select(HWND list, const char* rows)
{
    if (!list)
        return 1;
    RemoteBlock block = {};
    if (!OpenRemote(list, sizeof(LVITEMA), &block)) {
        CloseRemote(&block);
        return 1;
    }
    bool ok = SetRowState(list, &block, -1, 0); // -1: every row
    const char* at = rows;
    while (ok && *at) {
        char* end = nullptr;
        long row = std::strtol(at, &end, 10);
        if (end == at)
            break;
        ok = SetRowState(list, &block, static_cast<int>(row), LVIS_SELECTED);
        at = (*end == ',') ? end + 1 : end;
    }
    CloseRemote(&block);
    return ok ? 0 : 1;
}

// Per column, the longest row text as the list view measures it in its own
// font, and its margins (12 pixels at 96 DPI).
int ColumnsFit(HWND list)
{
    RemoteBlock block = {};
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    bool fit = list && OpenRemote(list, sizeof(LVITEMA) + UiTextSize, &block) && rows > 0;
    static char text[UiTextSize];
    for (int column = 0; fit && column < 2; ++column) {
        int needed = 0;
        for (int row = 0; fit && row < rows; ++row) {
            SIZE_T moved = 0;
            fit = RemoteItemText(list, &block, row, column, text, UiTextSize) &&
                  WriteProcessMemory(block.process, block.base, text, std::strlen(text) + 1, &moved);
            int width = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(block.base)));
            needed = std::max(needed, width + MulDiv(12, static_cast<int>(GetDpiForWindow(list)), 96));
        }
        int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        std::printf("%d %d %d\n", column, width, needed);
        fit = fit && width >= needed;
    }
    CloseRemote(&block);
    return fit ? 0 : 1;
}

NOTIFYICONDATAA TrayRecord(HWND window)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 110;
    return record;
}

// The version resource as GetFileVersionInfoA gives it to installers and Explorer.
int Version(const char* path)
{
    static char data[65536];
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &unused);
    if (size == 0 || size > sizeof data || !GetFileVersionInfoA(path, 0, size, data))
        return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data, "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
        return 1;
    std::printf("fixed %lu.%lu.%lu.%lu %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
                fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF,
                fixed->dwProductVersionMS >> 16, fixed->dwProductVersionMS & 0xFFFF,
                fixed->dwProductVersionLS >> 16, fixed->dwProductVersionLS & 0xFFFF);
    WORD* translation = nullptr;
    if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return 1;
    std::printf("translation %04x %04x\n", translation[0], translation[1]);
    const char* names[] = {"ProductName", "ProductVersion", "FileVersion", "FileDescription", "OriginalFilename"};
    for (const char* name : names) {
        char query[128];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1],
                      name);
        char* value = nullptr;
        if (VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) && value)
            std::printf("%s=%s\n", name, value);
    }
    return 0;
}

// Prints the autorun value read with the wide call, so that letters outside
// the ANSI code page survive.
int Autorun()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 1;
    static wchar_t value[UiTextSize];
    DWORD size = sizeof value - sizeof value[0];
    DWORD type = 0;
    LONG result = RegQueryValueExW(key, L"QuillonStarup", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return 1;
    value[size / sizeof value[0]] = 0;
    static char text[UiTextSize * 3];
    if (!WideCharToMultiByte(CP_UTF8, 0, value, -1, text, sizeof text, nullptr, nullptr))
        return 1;
    std::printf("%s\n", text);
    return 0;
}

// Stands for a backup or sync program that keeps a file open to itself.
int Hold(const char* file, const char* ready)
{
    HANDLE held = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE mark = CreateFileA(ready, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (mark == INVALID_HANDLE_VALUE || !WriteFile(mark, "held\n", 5, &written, nullptr))
        return 1;
    CloseHandle(mark);
    while (GetFileAttributesA(ready) != INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    CloseHandle(held);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return UiUsage("uidriver");
    const char* command = argv[1];
    int args = argc - 2;
    static char text[UiTextSize];

    if (!std::strcmp(command, "list")) {
        EnumWindows(ListProc, 0);
        return 0;
    }
    if ((!std::strcmp(command, "find") || !std::strcmp(command, "findvisible")) && args == 2) {
        FindRequest request = {argv[2], argv[3], command[4] == 'v', nullptr};
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&request));
        if (!request.found)
            return 1;
        UiPrintWindow(request.found);
        return 0;
    }
    if (!std::strcmp(command, "text") && args >= 1) {
        HWND window = UiTarget(argc, argv, 2);
        if (!window || !UiReadText(window, text, sizeof text))
            return 1;
        std::printf("%s\n", text);
        return 0;
    }
    if (!std::strcmp(command, "checked") && args == 2) {
        HWND button = UiTarget(argc, argv, 2);
        if (!button)
            return 1;
        std::printf("%d\n", SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "enabled") && args >= 1) {
        HWND window = UiTarget(argc, argv, 2);
        if (!window)
            return 1;
        std::printf("%d\n", IsWindowEnabled(window) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "visible") && args == 1) {
        std::printf("%d\n", IsWindowVisible(UiWindow(argv[2])) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "iconic") && args == 1) {
        std::printf("%d\n", IsIconic(UiWindow(argv[2])) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "owner") && args == 1) {
        UiPrintWindow(GetWindow(UiWindow(argv[2]), GW_OWNER));
        return 0;
    }
    if (!std::strcmp(command, "pid") && args == 1) {
        DWORD pid = 0;
        if (!GetWindowThreadProcessId(UiWindow(argv[2]), &pid))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(pid));
        return 0;
    }
    if (!std::strcmp(command, "click") && args == 2) {
        HWND button = UiTarget(argc, argv, 2);
        // Posted: the click may open a modal box that would block a send.
        return button && PostMessageA(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (!std::strcmp(command, "post") && args == 4) {
        return PostMessageA(UiWindow(argv[2]), static_cast<UINT>(UiNumber(argv[3])),
                            static_cast<WPARAM>(UiNumber(argv[4])), static_cast<LPARAM>(UiNumber(argv[5])))
                   ? 0
                   : 1;
    }
    if (!std::strcmp(command, "send") && args == 4) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(UiWindow(argv[2]), static_cast<UINT>(UiNumber(argv[3])),
                                 static_cast<WPARAM>(UiNumber(argv[4])), static_cast<LPARAM>(UiNumber(argv[5])),
                                 SMTO_NORMAL, 5000, &result))
            return 1;
        std::printf("%lld\n", static_cast<long long>(result));
        return 0;
    }
    if (!std::strcmp(command, "tray") && args == 2) {
        return PostMessageA(UiWindow(argv[2]), WM_USER + 1, 110, static_cast<LPARAM>(UiNumber(argv[3]))) ? 0 : 1;
    }
    if (!std::strcmp(command, "broadcast") && args == 1) {
        UINT message = RegisterWindowMessageA(argv[2]);
        return message && PostMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
    }
    if (!std::strcmp(command, "trayhas") && args == 1) {
        // Modifying nothing succeeds only for an icon that the shell holds.
        NOTIFYICONDATAA record = TrayRecord(UiWindow(argv[2]));
        record.uFlags = 0;
        std::printf("%d\n", Shell_NotifyIconA(NIM_MODIFY, &record) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(command, "traydelete") && args == 1) {
        NOTIFYICONDATAA record = TrayRecord(UiWindow(argv[2]));
        return Shell_NotifyIconA(NIM_DELETE, &record) ? 0 : 1;
    }
    if (!std::strcmp(command, "rows") && args == 2)
        return Rows(UiTarget(argc, argv, 2));
    if (!std::strcmp(command, "colwidth") && args == 3) {
        HWND list = UiTarget(argc, argv, 2);
        if (!list)
            return 1;
        std::printf("%d\n", static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH,
                                                           static_cast<WPARAM>(UiNumber(argv[4])), 0)));
        return 0;
    }
    if (!std::strcmp(command, "colfits") && args == 2)
        return ColumnsFit(UiTarget(argc, argv, 2));
    if (!std::strcmp(command, "dpi") && args == 1) {
        HWND window = UiWindow(argv[2]);
        std::printf("dpi=%u awareness=%d\n", GetDpiForWindow(window),
                    static_cast<int>(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window))));
        return 0;
    }
    if (!std::strcmp(command, "select") && args == 3)
        return Select(UiTarget(argc, argv, 2), argv[4]);
    if (!std::strcmp(command, "style") && args >= 1) {
        HWND window = UiTarget(argc, argv, 2);
        if (!window)
            return 1;
        std::printf("0x%08lx 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
        return 0;
    }
    if (!std::strcmp(command, "rect") && args >= 1)
        return UiPrintRect(UiTarget(argc, argv, 2), false) ? 0 : 1;
    if (!std::strcmp(command, "prop") && args == 2) {
        std::printf("%llu\n", static_cast<unsigned long long>(
                                  reinterpret_cast<UINT_PTR>(GetPropA(UiWindow(argv[2]), argv[3]))));
        return 0;
    }
    if (!std::strcmp(command, "version") && args == 1)
        return Version(argv[2]);
    if (!std::strcmp(command, "focus") && args == 1) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(UiWindow(argv[2]), nullptr), &info))
            return 1;
        std::printf("%d\n", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    if (!std::strcmp(command, "autorun") && args == 0)
        return Autorun();
    if (!std::strcmp(command, "hold") && args == 2)
        return Hold(argv[2], argv[3]);
    return UiUsage("uidriver");
}
