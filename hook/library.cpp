#include "library.h"

#include <cstring>

#include "foreground.h"
#include "hookproc.h"
#include "keynames.h"
#include "launcher.h"
#include "mappingfile.h"
#include "platform.h"
#include "quillhook.h"
#include "typer.h"
#include "typingqueue.h"

namespace {
// What the library has told the user of the file.
struct LibraryReports {
    bool boxOpen;            // a warning is open: its loop may deliver another reload
    bool unreadableReported; // said once until the file reads again
};
LibraryReports Reports;

void Warn(const char* text) { WarnOnce(&Reports.boxOpen, text); }
} // namespace

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
    bool unreadable = result == MappingUnreadable;
    bool sayUnreadable = unreadable && !Reports.unreadableReported;
    Reports.unreadableReported = unreadable;
    // The warning box lets the hook run, so the index is current before it.
    if (result == MappingRejected)
        Warn(CorruptFileText);
    else if (result == MappingCut)
        Warn(TooManyRecordsText);
    else if (sayUnreadable)
        Warn(UnreadableFileText);
}

void LibraryStartup()
{
    InitializeThreadedTyper();
    TyperLettingGo.store(false);
    InitializeLauncher();
    Hook.lastCombSnapshot = KeyMask();
    ClearLiveKeys();
    Hook.capsLockOn = OsCapsLockOn();
    InitKeyNames();
    Reports = LibraryReports();
    LoadLibraryTable();
    // On the thread that runs the hook, so that the program in front and
    // the key events are followed in one order.
    WatchForeground();
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

void InitializeHookLibrary()
{
    // A second call would start the typer's thread again under a running one.
    static bool started = false;
    if (started)
        return;
    started = true;
    LibraryStartup();
}
}
