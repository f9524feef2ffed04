// Synthesized keys as a keyboard sends them: each with the key's own scan
// code and extended bit and with Quillon's mark, gathered in a batch that
// goes out in one SendInput call.
#pragma once

#include "platform.h"

// dwExtraInfo of every event Quillon sends: the mark, and in the low byte why
// it was sent, so that the hook tells its own events, the typer's and other
// programs' apart.
const ULONG_PTR QuillonMark = 0x51550000;
const ULONG_PTR SentForRule = 0;    // a combination's own presses and releases
const ULONG_PTR SentAsMask = 1;     // the unassigned key that keeps Alt or Win from a menu
const ULONG_PTR SentHeldAgain = 2;  // a modifier the user still holds, pressed again
const ULONG_PTR SentToggleBack = 3; // Caps, Num or Scroll Lock turned back
const ULONG_PTR SentByTyper = 4;    // the typer's releases and text
const ULONG_PTR SentTyperDone = 5;  // the typer's last event: the hook presses held modifiers again

inline bool IsQuillonEvent(ULONG_PTR extraInfo) { return (extraInfo & ~ULONG_PTR(0xFF)) == QuillonMark; }
inline ULONG_PTR SentReason(ULONG_PTR extraInfo) { return extraInfo & 0xFF; }

// Unassigned: a press and release of it between Alt or Win and its release
// keeps the system from opening the menu bar or Start.
const int MaskKey = 0xE8;

struct KeyBatch {
    OsKeyInput inputs[OsMaxKeyInputs];
    int count;
    OsLayout layout; // whose scan codes the keys carry
    bool layoutKnown; // else the foreground's, asked for at the first key
};

inline void BeginBatch(KeyBatch* batch)
{
    batch->count = 0;
    batch->layoutKnown = false;
}
void UseLayout(KeyBatch* batch, OsLayout layout);
// A full batch goes out first, so nothing is ever lost.
void AddKey(KeyBatch* batch, int vk, bool up, ULONG_PTR reason);
void AddMaskTap(KeyBatch* batch, ULONG_PTR reason);
// One UTF-16 unit as a character event (KEYEVENTF_UNICODE).
void AddCharacter(KeyBatch* batch, unsigned short unit, bool up, ULONG_PTR reason);
// Releases of every code 0-254 whose byte is exactly 0x80, ascending.
void AddReleases(KeyBatch* batch, const BYTE* keys, ULONG_PTR reason);
// Sends what the batch holds and empties it.
inline void SendBatch(KeyBatch* batch)
{
    int count = batch->count;
    batch->count = 0;
    if (count > 0)
        OsSendKeys(batch->inputs, count);
}
