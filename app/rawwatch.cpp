#include "rawwatch.h"

#include "hooklibrary.h"
#include "main.h"
#include "switchrules.h"

namespace {

// Only the watch thread touches this.
struct RawWatchState {
    HookWatch watch;
};
RawWatchState Raw;

LRESULT CALLBACK RawWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INPUT) {
        // Whether remapping is on is the main window's to judge.
        DWORD calls = Library.GetHookCallCount();
        if (HookLooksDropped(&Raw.watch, true, calls))
            PostMessageA(MainWindow, HookSuspectMessage, 0, static_cast<LPARAM>(calls));
    }
    // For WM_INPUT the system frees the input's data here.
    return DefWindowProcA(window, message, wParam, lParam);
}

// The hook's own thread never gets raw input: a flood of it in that queue
// must not stand between the system and the hook's calls.
DWORD WINAPI RawWatchThread(LPVOID)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RawWatchProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuillonRawWatch";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    RAWINPUTDEVICE device = {};
    device.usUsagePage = 1; // generic desktop
    device.usUsage = 6;     // keyboard
    device.dwFlags = RIDEV_INPUTSINK;
    device.hwndTarget = window;
    if (!RegisterRawInputDevices(&device, 1, sizeof device))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
} // namespace

void StartRawKeyboardWatch()
{
    if (!Library.GetHookCallCount)
        return;
    HANDLE thread = CreateThread(nullptr, 0, RawWatchThread, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
}
