#include "reloadnotice.h"

#ifdef _WIN32
#include <windows.h>

#include "mappingfile.h"
#include "quillonversion.h"

ReloadNotice TellQuillonToReload()
{
    // One instance runs per session, and the class of its hidden main window
    // is the program's own: posting to that window alone spares every other
    // program a broadcast.
    HWND window = FindWindowA(QUILLON_WINDOW_CLASS, nullptr);
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
