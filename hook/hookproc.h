// The library's keyboard hook procedure and the key-synthesis operations.
#pragma once

#include <atomic>

#include "keysend.h"
#include "mappingfile.h"
#include "matchindex.h"
#include "win32types.h"

// Library-wide state of the hook (one per process), written and read on the
// hook's thread only; the typer gets what it needs with each text.
struct HookState {
    BYTE live[256];             // 0x80 = down; 16-18 derived from 160-165
    KeyMask liveMask;           // the same keys, one bit each
    // Towards the system (systemkeys.cpp), each until a release of the code
    // went out: keys down on the user's behalf (real presses passed on, and
    // modifiers pressed again while the user holds them), and keys down
    // because the hook pressed them.
    KeyMask passedDown;
    KeyMask pressedDown;
    KeyMask reached;       // keys held whose press reached the system
    KeyMask typerReleased; // keys down as above that the typer has let go
    KeyMask toggled;       // toggle keys whose press flipped the system's state
    BYTE loneMenuKeys;     // Alt and Win keys down towards the system with no key since
    BYTE loneSentByHook;   // of those, the one whose press the hook sent
    // Caps Lock as the system has it, followed through every event that
    // reaches it (the typer's thread cannot ask: its own key state is stale).
    bool capsLockOn;
    bool capsLockDown;
    KeyMask lastCombSnapshot; // live state at the last real key press
    BYTE* lastCombBuffer;
    HWND lastCombWindow;
    int sendLastComb;
    HWND listBox;
    CombinationTable table;
    MatchIndex index;
};
extern HookState Hook;
// Calls of KeyRemapProc so far (wraps); the program compares it with the raw
// key events it sees, on a thread of its own, to tell when the system has
// dropped the hook.
extern std::atomic<DWORD> HookCallCount;

// Zero state, as when the library is loaded.
void ClearHookState();
// Forgets every key held as down.
void ClearLiveKeys();
// Folds the table and rebuilds the lookup; after every change to `Hook.table`.
void IndexCombinationTable();

// Releases, in ascending code order, every key the hook pressed towards the
// system and has not released, then presses again the modifiers the user
// still holds; on the hook's thread only.
void ReleasePressedKeys();

const int CaptureTextSize = 500;
