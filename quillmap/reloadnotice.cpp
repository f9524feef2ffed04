#include "reloadnotice.h"

#ifdef _WIN32
#include <windows.h>

#include "mappingfile.h"

namespace {
// The class of the program's hidden main window (its string resource 109).
const char* const MainWindowClass = "LATCHET";
} // namespace

ReloadNotice TellQuillonToReload()
{
    // One instance runs per session, and the class is the program's own:
    // posting to that window alone spares every other program a broadcast.
    HWND window = FindWindowA(MainWindowClass, nullptr);
    if (!window)
        return QuillonNotRunning;
    UINT message = RegisterWindowMessageA(ReloadMappingMessageName);
    if (message == 0 || !PostMessageA(window, message, 0, 0))
        return QuillonNotTold;
    return QuillonTold;
}
#else
ReloadNotice TellQuillonToReload() { return QuillonNotRunning; }
#endif
