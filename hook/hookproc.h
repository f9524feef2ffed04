// The library's keyboard hook procedure and the key-synthesis operations.
#pragma once

#include <atomic>

#include "mappingfile.h"
#include "matchindex.h"
#include "win32types.h"

// Library-wide state of the hook (one per process). Plain bytes: the typer
// thread reads `live` and `extendedKeyFlags` without a lock; single bytes are
// written and read, and a stale value only changes which keys it releases.
struct HookState {
    BYTE live[256];             // 0x80 = down; 16-18 derived from 160-165
    KeyMask liveMask;           // the same keys, one bit each
    // Keys down towards the system, kept on the hook's thread only: real
    // presses passed on, and presses the hook synthesized, each until a
    // release of that code went out.
    KeyMask passedDown;
    KeyMask pressedDown;
    BYTE extendedKeyFlags[256]; // 1 = synthesize with KEYEVENTF_EXTENDEDKEY
    BYTE lastCombSnapshot[256]; // live state at the last real key press
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
// The start-up defaults of the extended-key table: right Shift, Ctrl, Alt.
void ResetExtendedKeyFlags();
// Forgets every key held as down.
void ClearLiveKeys();
// Folds the table and rebuilds the lookup; after every change to `Hook.table`.
void IndexCombinationTable();

// Releases, in ascending code order, every key the hook pressed towards the
// system and has not released; on the hook's thread only.
void ReleasePressedKeys();

void PressKey(int vk);
void ReleaseKey(int vk);
// Every code 0-254 whose byte is exactly 0x80, ascending.
void PressKeys(const BYTE* keys);
void ReleaseKeys(const BYTE* keys);

const int CaptureTextSize = 500;
