// The remapping switch, the tray icon and the autorun value.
#include "remapping.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "dpi.h"
#include "hooklibrary.h"
#include "main.h"
#include "maindialog.h"
#include "mappingfile.h"
#include "platform.h"
#include "programtexts.h"
#include "resource.h"

int RemappingEnabled = 1;
HHOOK HookHandle;

namespace {

const char* const RunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const AutorunValueName = "QuillonStarup";
const wchar_t* const AutorunValueNameW = L"QuillonStarup";

// The first version of the notify-icon record: 88 bytes in a 32-bit build,
// 104 in a 64-bit one (wider handles).
NOTIFYICONDATAA TrayRecord(UINT flags)
{
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = MainWindow;
    record.uID = TRAY_ICON_ID;
    record.uFlags = flags;
    return record;
}

// The tray's icons at the size that it asks for, loaded whenever the tray
// icon is added: a restarted shell may ask for another.
struct TrayIcons {
    HICON enabled;  // icon 137
    HICON disabled; // icon 139
};
TrayIcons Tray;

void LoadTrayIcons()
{
    if (Tray.enabled)
        DestroyIcon(Tray.enabled);
    if (Tray.disabled)
        DestroyIcon(Tray.disabled);
    Tray.enabled = LoadSmallIcon(IDI_TRAY_ENABLED);
    Tray.disabled = LoadSmallIcon(IDI_TRAY_DISABLED);
}

void NotifyTray(DWORD operation)
{
    NOTIFYICONDATAA record = TrayRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    record.uCallbackMessage = TRAY_CALLBACK_MESSAGE;
    record.hIcon = RemappingEnabled ? Tray.enabled : Tray.disabled;
    CutTrayTip(RemappingEnabled ? EnabledTitle : DisabledTitle, record.szTip);
    Shell_NotifyIconA(operation, &record);
}

// HKEY_CURRENT_USER's Run key, else HKEY_LOCAL_MACHINE's; null if neither opens.
HKEY OpenRunKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        return key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        return key;
    return nullptr;
}

void CountHookInstall()
{
    UINT_PTR count = reinterpret_cast<UINT_PTR>(GetPropA(MainWindow, HookInstallsProperty));
    SetPropA(MainWindow, HookInstallsProperty, reinterpret_cast<HANDLE>(count + 1));
}
} // namespace

void AddTrayIcon()
{
    LoadTrayIcons();
    NotifyTray(NIM_ADD);
}

void DeleteTrayIcon()
{
    NOTIFYICONDATAA record = TrayRecord(NIF_ICON);
    Shell_NotifyIconA(NIM_DELETE, &record);
}

void InstallHook()
{
    if (HookHandle)
        return;
    HookHandle = SetWindowsHookExA(WH_KEYBOARD_LL, Library.KeyRemapProc, HookLibrary, 0);
    if (!HookHandle) {
        char text[1024];
        std::snprintf(text, sizeof text, "Error setting the hook. Get Last Error: %d ",
                      static_cast<int>(GetLastError()));
        MessageBoxA(nullptr, text, "Can not set hook", MB_ICONERROR | MB_OK);
        ExitProcess(1);
    }
    CountHookInstall();
}

void RemoveHook()
{
    if (!HookHandle)
        return;
    // A hook that the system has already dropped is gone: Disable and Exit go on.
    if (!OsRemoveHook(HookHandle)) {
        MessageBoxA(nullptr, "Failed to unset hook", "Can not unset hook", MB_ICONERROR | MB_OK);
        ExitProcess(1);
    }
    HookHandle = nullptr;
}

void ReinstallHook()
{
    if (!HookHandle)
        return;
    // The new hook goes in first, within one handler: no key event falls
    // between the two, and none reaches both.
    HHOOK fresh = SetWindowsHookExA(WH_KEYBOARD_LL, Library.KeyRemapProc, HookLibrary, 0);
    if (!fresh)
        return;
    // A hook the system has dropped is gone already; the new one replaces it anyway.
    OsRemoveHook(HookHandle);
    HookHandle = fresh;
    CountHookInstall();
}

void EnableRemapping()
{
    if (RemappingEnabled == 1)
        return;
    InstallHook();
    RemappingEnabled = 1;
    ShowRemappingState();
    NotifyTray(NIM_MODIFY);
}

void DisableRemapping()
{
    if (RemappingEnabled == 0)
        return;
    // Nothing the library pressed may stay down once it no longer sees the releases.
    if (Library.ResetKeysState)
        Library.ResetKeysState();
    RemoveHook();
    RemappingEnabled = 0;
    ShowRemappingState();
    NotifyTray(NIM_MODIFY);
}

void QuotedProgramPath(char* buffer, DWORD size)
{
    if (size == 0)
        return;
    // UTF-8: the folder may hold letters outside the ANSI code page.
    char path[PathBufferSize];
    OsExecutablePath(path, sizeof path);
    QuotePath(path, buffer, size);
}

void RegisterAutorun()
{
    HKEY key = OpenRunKey();
    if (!key) {
        MessageBoxA(nullptr, "Failed to open registry.", "Error", MB_ICONERROR | MB_OK);
        return;
    }
    char value[PathBufferSize];
    QuotedProgramPath(value, sizeof value);
    AppendAutorunSwitch(value, sizeof value);
    // Stored wide, so that the system can start the program from any folder.
    wchar_t wide[PathBufferSize];
    LONG result = ERROR_INVALID_DATA;
    int length = MultiByteToWideChar(CP_UTF8, 0, value, -1, wide, PathBufferSize);
    if (length > 0)
        result = RegSetValueExW(key, AutorunValueNameW, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide),
                                static_cast<DWORD>(length * sizeof(wchar_t)));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        MessageBoxA(nullptr, "Failed to Set Load on Startup for the Quillon", "Error",
                    MB_ICONERROR | MB_OK);
}

void ConfirmAutorunOnExit()
{
    char question[1024];
    std::snprintf(question, sizeof question,
                  "Do you want to load %s automatically when your computer starts?", EnabledTitle);
    if (MessageBoxA(nullptr, question, "Autoload at start-up?", MB_ICONQUESTION | MB_YESNO) == IDYES)
        return;
    HKEY key = OpenRunKey();
    if (!key) {
        MessageBoxA(nullptr, "Failed to open registry.", "Error", MB_ICONERROR | MB_OK);
        return;
    }
    LONG result = RegDeleteValueA(key, AutorunValueName);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        MessageBoxA(nullptr, "Could not remove the autorun setting!", "Warning",
                    MB_ICONWARNING | MB_OK);
}
