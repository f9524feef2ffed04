// Entry routine of Quillhook.dll.
#include "win32types.h"

// Nothing runs under the loader lock: no threads are started or waited for
// and no window or file is touched here. The program runs the library's
// start-up through InitializeHookLibrary once it has bound the exports.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
