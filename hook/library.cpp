#include "library.h"

#include <cstring>

#include "hookproc.h"
#include "keynames.h"
#include "launcher.h"
#include "mappingfile.h"
#include "platform.h"
#include "quillhook.h"
#include "typer.h"

void LoadLibraryTable()
{
    MappingLoadResult result = LoadMappingFile(&Hook.table, nullptr);
    // Also when the file is missing or rejected: the table is as it was, but
    // at start-up its index was never built, and an unbuilt index names
    // record 0 for every key, so every key would be swallowed.
    IndexCombinationTable();
    // What the old table pressed is not left for the new one to release.
    if (result == MappingLoaded || result == MappingCut)
        ReleasePressedKeys();
    // The warning box lets the hook run, so the index is current before it.
    if (result == MappingCut)
        OsMessageBox(nullptr, TooManyRecordsText, "WARNING", MB_ICONWARNING | MB_OK);
}

void LibraryStartup()
{
    InitializeThreadedTyper();
    InitializeLauncher();
    ResetExtendedKeyFlags();
    std::memset(Hook.lastCombSnapshot, 0, sizeof Hook.lastCombSnapshot);
    ClearLiveKeys();
    InitKeyNames();
    LoadLibraryTable();
}

extern "C" {
LRESULT SetLastCombWindow(HWND window)
{
    Hook.lastCombWindow = window;
    return 0;
}

BYTE* SetLastCombBuffer(BYTE* buffer)
{
    Hook.lastCombBuffer = buffer;
    return buffer;
}

LRESULT SetSendLastComb(LRESULT flag)
{
    Hook.sendLastComb = flag != 0;
    return flag;
}

LRESULT SetListBox(HWND listBox)
{
    Hook.listBox = listBox;
    return 0;
}

void ResetKeysState()
{
    ReleasePressedKeys();
    ClearLiveKeys();
}

void ForceReloadKeysFromDisk() { LoadLibraryTable(); }

DWORD GetHookCallCount() { return HookCallCount.load(std::memory_order_relaxed); }

void InitializeHookLibrary() { LibraryStartup(); }
}
