#include "dpi.h"

#include "main.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowFn)(HWND);

struct DpiState {
    bool looked;
    GetDpiForWindowFn getDpiForWindow; // null where user32 lacks it
};
DpiState Dpi;

HICON LoadIconAt(int id, int size)
{
    return static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

UINT WindowDpi(HWND window)
{
    if (!Dpi.looked) {
        Dpi.looked = true;
        Dpi.getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    }
    UINT dpi = Dpi.getDpiForWindow ? Dpi.getDpiForWindow(window) : 0;
    if (dpi != 0)
        return dpi;
    HDC screen = GetDC(nullptr);
    int caps = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return caps > 0 ? static_cast<UINT>(caps) : USER_DEFAULT_SCREEN_DPI;
}

int ScaledToDpi(int pixels, UINT dpi)
{
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

HICON LoadLargeIconForDpi(int id, UINT dpi)
{
    return LoadIconAt(id, ScaledToDpi(32, dpi));
}

HICON LoadSmallIcon(int id)
{
    return LoadIconAt(id, GetSystemMetrics(SM_CXSMICON));
}
