// The programs of the windows open now, for the action chooser's list.
#include <windows.h>

#include "editor.h"
#include "platform.h"
#include "programwhere.h"

namespace {

// The windows a user would call open: visible, not owned by another one,
// not a tool window, with a title.
bool IsOpenWindow(HWND window) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return false;
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return false;
    return GetWindowTextLengthA(window) > 0;
}

BOOL CALLBACK AddWindowProgram(HWND window, LPARAM parameter) {
    HWND list = reinterpret_cast<HWND>(parameter);
    char name[ProgramNameSize];
    if (IsOpenWindow(window) && OsProgramOfWindow(window, name, sizeof name) == ProgramFound &&
        SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)) == CB_ERR) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    return TRUE;
}

} // namespace

void FillOpenPrograms(HWND list) {
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    EnumWindows(AddWindowProgram, reinterpret_cast<LPARAM>(list));
}
