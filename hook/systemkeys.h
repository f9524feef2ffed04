// What the system holds because of the hook, kept on the hook's thread: the
// keys down towards it, the Alt and Win keys that a mask must part from a
// release the user did not make alone, the toggle keys to turn back, and the
// modifiers to press again for the user.
#pragma once

#include "keysend.h"
#include "win32types.h"

// Windows sends a generic Shift, Ctrl or Alt code as the left-hand key.
inline int SideOf(int vk)
{
    switch (vk) {
    case 0x10: return 0xA0;
    case 0x11: return 0xA2;
    case 0x12: return 0xA4;
    default: return vk;
    }
}
bool DownTowardsSystem(int vk);

// Any key event that reaches the system: what a lone Alt or Win needs.
void NoteReachedSystem(int vk, bool down, bool sentByHook);
// A real press passed on; `repeat` when the key was already held.
void NotePassedOn(int vk, bool repeat);
// A release of `vk` went out towards the system.
void NoteReleaseWentOut(int vk);
// The user let go of `vk`, whatever became of the release.
void NoteLetGo(int vk);
// An injected event: the typer's releases, its last event, other programs' keys.
void NoteInjected(int vk, bool down, ULONG_PTR extraInfo);

// The hook's own presses and releases, kept in the record; a release of an
// Alt or Win key that is alone towards the system goes out after a mask.
void SendPress(KeyBatch* batch, int vk, ULONG_PTR reason);
void SendRelease(KeyBatch* batch, int vk, ULONG_PTR reason);
// A swallowed key-down: the system did not see it, so a lone Alt or Win
// would still open a menu on its release; a mask goes out now.
void MaskLoneMenuKeys(KeyBatch* batch);
// An Alt or Win that the hook itself pressed, alone towards the system at
// the end of what it sends: the user's release follows, so a mask now.
void MaskWhatTheHookLeftAlone(KeyBatch* batch);
// Every modifier the user holds, whose press reached the system and that is
// no longer down towards it, pressed again.
void PressHeldModifiersAgain(KeyBatch* batch);
// Caps, Num and Scroll Lock among `keys` (other than `vk`) whose press
// flipped the system's state are turned back, the key left as it was.
void TurnTogglesBack(KeyBatch* batch, const BYTE* keys, int vk);
// The keys down towards the system, 0x80 each, those the typer let go of
// included: what the typer lets go of before a text.
void HeldTowardsSystem(BYTE* held);
