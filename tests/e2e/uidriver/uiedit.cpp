// uiedit.exe COMMAND ARGS...: the editor suites' additions to uidriver.exe.
// Prints its answer on stdout; exit code 0 = done or true, 1 = not found or
// false, 2 = usage.
//
//   rect HWND [ID]                screen rectangle of the window or child ID: left top right bottom
//   center HWND [ID]              screen point in the middle of it: x y
//   comboselect HWND ID TEXT      selects the entry TEXT of combo box ID and tells the dialog
//                                 (CBN_SELCHANGE), as choosing it with the mouse does
//   comboitems HWND ID            the entries of combo box ID, one per line
//   settext HWND ID TEXT          sets the text of child ID and tells the dialog (EN_CHANGE)
//   children HWND                 every child window in template order: id<TAB>class<TAB>"text"
//                                 (statics without an id show as -1)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int TextSize = 4096;

HWND Window(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}

int Id(const char* text)
{
    return static_cast<int>(std::strtol(text, nullptr, 0));
}

HWND Target(int argc, char** argv)
{
    HWND window = Window(argv[2]);
    return argc > 3 ? GetDlgItem(window, Id(argv[3])) : window;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

void Notify(HWND dialog, int id, HWND control, WORD code)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

BOOL CALLBACK PrintChild(HWND child, LPARAM parent)
{
    if (GetParent(child) != reinterpret_cast<HWND>(parent))
        return TRUE; // only the dialog's own controls, not a combo box's parts
    char className[256];
    char text[TextSize];
    className[0] = '\0';
    GetClassNameA(child, className, sizeof className);
    text[0] = '\0';
    DWORD_PTR result = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000,
                        &result);
    std::printf("%d\t%s\t\"%s\"\n", static_cast<int>(GetWindowLongA(child, GWL_ID)), className, text);
    return TRUE;
}

int Usage()
{
    std::fprintf(stderr, "usage: uiedit rect|center HWND [ID] | comboselect HWND ID TEXT | comboitems HWND ID |"
                         " settext HWND ID TEXT | children HWND\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const char* command = argv[1];
    if (!std::strcmp(command, "rect") || !std::strcmp(command, "center")) {
        HWND window = Target(argc, argv);
        RECT rect;
        if (window == nullptr || !GetWindowRect(window, &rect))
            return 1;
        if (!std::strcmp(command, "rect"))
            std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        else
            std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return 0;
    }
    if (!std::strcmp(command, "comboselect") && argc == 5) {
        HWND dialog = Window(argv[2]);
        int id = Id(argv[3]);
        HWND combo = GetDlgItem(dialog, id);
        if (combo == nullptr)
            return 1;
        LRESULT index = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[4]));
        if (index < 0)
            return 1;
        if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
            return 1;
        Notify(dialog, id, combo, CBN_SELCHANGE);
        return 0;
    }
    if (!std::strcmp(command, "comboitems") && argc == 4) {
        HWND combo = GetDlgItem(Window(argv[2]), Id(argv[3]));
        if (combo == nullptr)
            return 1;
        LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
        if (count < 0)
            return 1;
        // Across processes Wine hands CB_GETLBTEXT back as wide text even to
        // the narrow call, so ask for wide text and convert it here.
        wchar_t wide[TextSize];
        char text[TextSize];
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
            if (length < 0 || length >= TextSize)
                return 1;
            wide[0] = L'\0';
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide),
                                     SMTO_ABORTIFHUNG, 5000, &result))
                return 1;
            wide[TextSize - 1] = L'\0';
            if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, TextSize, nullptr, nullptr))
                return 1;
            std::printf("%s\n", text);
        }
        return 0;
    }
    if (!std::strcmp(command, "children") && argc == 3) {
        HWND dialog = Window(argv[2]);
        if (!IsWindow(dialog))
            return 1;
        EnumChildWindows(dialog, PrintChild, reinterpret_cast<LPARAM>(dialog));
        return 0;
    }
    if (!std::strcmp(command, "settext") && argc == 5) {
        HWND dialog = Window(argv[2]);
        int id = Id(argv[3]);
        HWND control = GetDlgItem(dialog, id);
        if (control == nullptr || Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) != TRUE)
            return 1;
        Notify(dialog, id, control, EN_CHANGE);
        return 0;
    }
    return Usage();
}
