// Entry routine of Quillhook.dll.
#include "library.h"
#include "win32types.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    // Start-up runs once, when the library enters the process. Running it
    // again on thread notifications would wipe the key state, the learned
    // extended keys and the table on a foreign thread while the hook may run.
    if (reason == DLL_PROCESS_ATTACH)
        LibraryStartup();
    return TRUE;
}
