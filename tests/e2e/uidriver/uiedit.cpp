// uiedit.exe COMMAND ARGS...: the editor suites' additions to uidriver.exe.
// Prints its answer on stdout; exit code 0 = done or true, 1 = not found or
// false, 2 = usage.
//
//   center HWND [ID]              screen point in the middle of the window or child ID: x y
//                                 (uidriver's rect gives its rectangle)
//   comboselect HWND ID TEXT      selects the entry TEXT of combo box ID and tells the dialog
//                                 (CBN_SELCHANGE), as choosing it with the mouse does
//   comboitems HWND ID            the entries of combo box ID, one per line
//   settext HWND ID TEXT          sets the text of child ID and tells the dialog (EN_CHANGE)
//   children HWND                 every child window in template order: id<TAB>class<TAB>"text"
//                                 (statics without an id show as -1)
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "uiwindow.h"

namespace {

void Notify(HWND dialog, int id, HWND control, WORD code)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

BOOL CALLBACK PrintChild(HWND child, LPARAM parent)
{
    if (GetParent(child) != reinterpret_cast<HWND>(parent))
        return TRUE; // only the dialog's own controls, not a combo box's parts
    char className[256];
    char text[UiTextSize];
    className[0] = '\0';
    GetClassNameA(child, className, sizeof className);
    UiReadText(child, text, sizeof text);
    std::printf("%d\t%s\t\"%s\"\n", static_cast<int>(GetWindowLongA(child, GWL_ID)), className, text);
    return TRUE;
}

// Across processes Wine hands CB_GETLBTEXT back as wide text even to the
// narrow call, so ask for wide text and convert it here.
int ComboItems(HWND combo)
{
    LRESULT count = combo ? UiSend(combo, CB_GETCOUNT, 0, 0) : -1;
    if (count < 0)
        return 1;
    wchar_t wide[UiTextSize];
    char text[UiTextSize];
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = UiSend(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0 || length >= UiTextSize)
            return 1;
        wide[0] = L'\0';
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide),
                                 SMTO_ABORTIFHUNG, 5000, &result))
            return 1;
        wide[UiTextSize - 1] = L'\0';
        if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, UiTextSize, nullptr, nullptr))
            return 1;
        std::printf("%s\n", text);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Every command names a window: without one, only the usage.
    const char* command = argc >= 3 ? argv[1] : "";
    if (!std::strcmp(command, "center"))
        return UiPrintRect(UiTarget(argc, argv, 2), true) ? 0 : 1;
    if (!std::strcmp(command, "comboitems") && argc == 4)
        return ComboItems(UiTarget(argc, argv, 2));
    if (!std::strcmp(command, "children") && argc == 3) {
        HWND dialog = UiWindow(argv[2]);
        if (!IsWindow(dialog))
            return 1;
        EnumChildWindows(dialog, PrintChild, reinterpret_cast<LPARAM>(dialog));
        return 0;
    }
    if ((!std::strcmp(command, "comboselect") || !std::strcmp(command, "settext")) && argc == 5) {
        HWND dialog = UiWindow(argv[2]);
        int id = static_cast<int>(UiNumber(argv[3]));
        HWND control = GetDlgItem(dialog, id);
        if (control == nullptr)
            return 1;
        if (command[0] == 's') {
            if (UiSend(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) != TRUE)
                return 1;
            Notify(dialog, id, control, EN_CHANGE);
            return 0;
        }
        LRESULT index =
            UiSend(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[4]));
        if (index < 0 || UiSend(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
            return 1;
        Notify(dialog, id, control, CBN_SELCHANGE);
        return 0;
    }
    return UiUsage("uiedit");
}
