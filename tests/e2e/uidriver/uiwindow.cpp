#include "uiwindow.h"

#include <cstdio>
#include <cstdlib>

unsigned long long UiNumber(const char* text)
{
    return std::strtoull(text, nullptr, 0);
}

HWND UiWindow(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(UiNumber(text)));
}

HWND UiTarget(int argc, char** argv, int at)
{
    HWND window = UiWindow(argv[at]);
    if (argc > at + 1)
        window = GetDlgItem(window, static_cast<int>(UiNumber(argv[at + 1])));
    return window;
}

void UiPrintWindow(HWND window)
{
    std::printf("0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

bool UiReadText(HWND window, char* text, int size)
{
    text[0] = '\0';
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(size),
                               reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &result) != 0;
}

LRESULT UiSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

int UiUsage(const char* tool)
{
    std::fprintf(stderr, "usage: %s COMMAND ARGS... (see the source's header)\n", tool);
    return 2;
}

bool UiPrintRect(HWND window, bool middle)
{
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect))
        return false;
    if (middle)
        std::printf("%ld %ld\n", static_cast<long>((rect.left + rect.right) / 2),
                    static_cast<long>((rect.top + rect.bottom) / 2));
    else
        std::printf("%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                    static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    return true;
}
