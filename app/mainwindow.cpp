// The hidden main window: library loading, tray callback and menu, commands.
#include "mainwindow.h"

#include "editor.h"
#include "hooklibrary.h"
#include "main.h"
#include "maindialog.h"
#include "mappingfile.h"
#include "rawwatch.h" // HookSuspectMessage
#include "remapping.h"
#include "resource.h"
#include "sessionnotices.h"
#include "switchrules.h"

namespace {

struct MainWindowState {
    UINT taskbarCreated; // broadcast when the shell (re)starts; 0 if unregistered
    UINT reloadMapping;  // "QuillonReloadMapping": the file was written by another program
    DWORD suspectedCalls; // the hook-call count when the raw watch saw it silent
    bool checkPending;    // the check of that suspicion is yet to come
};
MainWindowState Window;

const UINT_PTR HookCheckTimer = 1;
const UINT HookCheckDelay = 250; // ms

// The watch saw keys arrive without hook calls; a moment later the count
// tells whether the hook was only late.
void OnHookSuspect(DWORD callsWhenSuspected)
{
    // A check under way is never put off: while keys keep coming, every
    // second raw event would push it back again, and the hook would stay
    // gone for as long as the user types.
    if (Window.checkPending)
        return;
    Window.suspectedCalls = callsWhenSuspected;
    Window.checkPending = SetTimer(MainWindow, HookCheckTimer, HookCheckDelay, nullptr) != 0;
}

void OnHookCheck()
{
    KillTimer(MainWindow, HookCheckTimer);
    Window.checkPending = false;
    if (HookStillSilent(HookHandle != nullptr, Window.suspectedCalls, Library.GetHookCallCount()))
        ReinstallHook();
}

void ShowTrayMenu(HWND window)
{
    HMENU menu = CreatePopupMenu();
    if (RemappingEnabled)
        AppendMenuA(menu, MF_STRING, IDC_DISABLE, "Disable");
    else
        AppendMenuA(menu, MF_STRING, IDC_ENABLE, "Enable");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_EXIT, "&Exit");
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void OnTrayCallback(HWND window, LPARAM lParam)
{
    if (lParam == WM_LBUTTONUP) {
        if (MainDialog) {
            ShowWindow(MainDialog, SW_SHOW);
            SetForegroundWindow(MainDialog);
            SetActiveWindow(MainDialog);
        } else {
            RunMainDialog();
        }
    } else if (lParam == WM_RBUTTONUP) {
        ShowTrayMenu(window);
    }
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDM_ABOUT:
        RunAboutDialog(MainWindow);
        return 0;
    case IDM_EXIT:
        ConfirmAutorunOnExit();
        DestroyWindow(MainWindow);
        return 0;
    case IDC_ENABLE:
        EnableRemapping();
        return 0;
    case IDC_DISABLE:
        DisableRemapping();
        return 0;
    case IDM_DEFINE_MAPPING:
        if (!MainDialog)
            RunMainDialog();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

void RunMainDialog()
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MAIN), MainWindow, MainDialogProc, 0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A restarted shell has forgotten every tray icon: add ours again.
    if (Window.taskbarCreated != 0 && message == Window.taskbarCreated) {
        if (MainWindow)
            AddTrayIcon();
        return 0;
    }
    if (Window.reloadMapping != 0 && message == Window.reloadMapping) {
        ReloadCombinationsFromDisk();
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        MainWindow = window; // the tray record names it before CreateWindowExA returns
        Window.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        Window.reloadMapping = RegisterWindowMessageA(ReloadMappingMessageName);
        LoadHookLibrary();
        InstallHook();
        AddTrayIcon();
        return 0;
    case WM_DESTROY:
        UnregisterSessionNotices();
        if (Library.ResetKeysState)
            Library.ResetKeysState();
        RemoveHook();
        RemovePropA(window, HookInstallsProperty);
        DeleteTrayIcon();
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_COMMAND:
        return OnCommand(window, message, wParam, lParam);
    case WM_WTSSESSION_CHANGE:
        if (Library.ResetKeysState)
            Library.ResetKeysState();
        // A locked session may have outlasted the hook.
        if (wParam == WTS_SESSION_UNLOCK)
            ReinstallHook();
        return 0;
    case WM_POWERBROADCAST:
        // The first key after a resume may time the hook out while the
        // program's pages come back from disk.
        if (wParam == PBT_APMRESUMEAUTOMATIC)
            ReinstallHook();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_TIMER:
        if (wParam == HookCheckTimer)
            OnHookCheck();
        return 0;
    case HookSuspectMessage:
        OnHookSuspect(static_cast<DWORD>(lParam));
        return 0;
    case TRAY_CALLBACK_MESSAGE:
        OnTrayCallback(window, lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
