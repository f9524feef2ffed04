// A stand-in for Quillhook.dll that does nothing: built once per export,
// each time without that one (see CMakeLists.txt), so that the suites can see
// how Quillon.exe reports a library that lacks an export.
#include <windows.h>

extern "C" {
LRESULT CALLBACK KeyRemapProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT SetLastCombWindow(HWND)
{
    return 0;
}
BYTE* SetLastCombBuffer(BYTE* buffer)
{
    return buffer;
}
LRESULT SetSendLastComb(LRESULT flag)
{
    return flag;
}
LRESULT SetListBox(HWND)
{
    return 0;
}
void ResetKeysState() {}
void ForceReloadKeysFromDisk() {}
DWORD GetHookCallCount()
{
    return 0;
}
}
