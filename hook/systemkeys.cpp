#include "systemkeys.h"

#include "hookproc.h"
#include "keystate.h"
#include "typingqueue.h"

namespace {
const int HeldModifiers[] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C};
const int ToggleKeys[] = {0x14, 0x90, 0x91}; // Caps Lock, Num Lock, Scroll Lock

// Alt and Win, which open the menu bar or Start when pressed and released alone.
BYTE MenuBit(int vk)
{
    switch (vk) {
    case 0x12:
    case 0xA4: return 1;
    case 0xA5: return 2;
    case 0x5B: return 4;
    case 0x5C: return 8;
    default: return 0;
    }
}

// The generic code that stands for a left-hand key, or -1.
int GenericOf(int vk)
{
    switch (vk) {
    case 0xA0: return 0x10;
    case 0xA2: return 0x11;
    case 0xA4: return 0x12;
    default: return -1;
    }
}

// The same key under its other code: releasing either releases the key.
int AliasOf(int vk) { return SideOf(vk) != vk ? SideOf(vk) : GenericOf(vk); }

bool InRecord(int vk) { return MaskHas(Hook.passedDown, vk) || MaskHas(Hook.pressedDown, vk); }

void ClearDown(int vk)
{
    MaskClear(Hook.passedDown, vk);
    MaskClear(Hook.pressedDown, vk);
    MaskClear(Hook.typerReleased, SideOf(vk));
}

void SendMaskTap(KeyBatch* batch)
{
    AddMaskTap(batch, SentAsMask);
    NoteReachedSystem(MaskKey, true, true);
    NoteReachedSystem(MaskKey, false, true);
}
} // namespace

bool DownTowardsSystem(int vk)
{
    if (MaskHas(Hook.typerReleased, SideOf(vk)))
        return false;
    int alias = AliasOf(vk);
    return InRecord(vk) || (alias >= 0 && InRecord(alias));
}

void NoteReachedSystem(int vk, bool down, bool sentByHook)
{
    // The toggle flips when the key goes down, not on its repeats.
    if (vk == 0x14) {
        if (down && !Hook.capsLockDown)
            Hook.capsLockOn = !Hook.capsLockOn;
        Hook.capsLockDown = down;
    }
    // Any other key that goes down ends Alt's or Win's being alone.
    if (down) {
        Hook.loneMenuKeys = MenuBit(vk);
        Hook.loneSentByHook = sentByHook ? MenuBit(vk) : 0;
    } else {
        Hook.loneMenuKeys &= static_cast<BYTE>(~MenuBit(vk));
    }
}

void NotePassedOn(int vk, bool repeat)
{
    NoteReachedSystem(vk, true, false);
    MaskSet(Hook.passedDown, vk);
    MaskSet(Hook.reached, vk);
    MaskClear(Hook.typerReleased, SideOf(vk));
    for (int toggle : ToggleKeys)
        if (vk == toggle && !repeat)
            MaskSet(Hook.toggled, vk);
}

void NoteReleaseWentOut(int vk)
{
    NoteReachedSystem(vk, false, false);
    ClearDown(vk);
}

void NoteLetGo(int vk)
{
    MaskClear(Hook.reached, vk);
    MaskClear(Hook.toggled, vk);
}

void NoteInjected(int vk, bool down, ULONG_PTR extraInfo)
{
    if (IsQuillonEvent(extraInfo)) {
        ULONG_PTR reason = SentReason(extraInfo);
        if (reason == SentByTyper) {
            if (!down && DownTowardsSystem(vk))
                MaskSet(Hook.typerReleased, SideOf(vk));
        } else if (reason == SentTyperDone) {
            // The text is out: what the user still holds goes down again,
            // here on the hook's thread, in order with the user's own keys.
            if (!down) {
                KeyBatch batch;
                BeginBatch(&batch);
                PressHeldModifiersAgain(&batch);
                MaskWhatTheHookLeftAlone(&batch);
                SendBatch(&batch);
                TyperLettingGo.store(false);
                OsSignalRaise(&Queue.pressedAgain);
            }
        } else {
            return; // the hook's own: kept when it sent them
        }
    }
    NoteReachedSystem(vk, down, false);
}

void SendPress(KeyBatch* batch, int vk, ULONG_PTR reason)
{
    if (vk < 0 || vk > 255)
        return;
    AddKey(batch, vk, false, reason);
    MaskSet(Hook.pressedDown, vk);
    MaskClear(Hook.typerReleased, SideOf(vk));
    NoteReachedSystem(vk, true, true);
}

void SendRelease(KeyBatch* batch, int vk, ULONG_PTR reason)
{
    if (vk < 0 || vk > 255)
        return;
    if (Hook.loneMenuKeys & MenuBit(vk))
        SendMaskTap(batch);
    AddKey(batch, vk, true, reason);
    ClearDown(vk);
    int alias = AliasOf(vk);
    if (alias >= 0)
        ClearDown(alias);
    NoteReachedSystem(vk, false, true);
}

void MaskLoneMenuKeys(KeyBatch* batch)
{
    if (Hook.loneMenuKeys)
        SendMaskTap(batch);
}

void MaskWhatTheHookLeftAlone(KeyBatch* batch)
{
    if (Hook.loneMenuKeys & Hook.loneSentByHook)
        SendMaskTap(batch);
}

void PressHeldModifiersAgain(KeyBatch* batch)
{
    for (int vk : HeldModifiers) {
        if (!MaskHas(Hook.reached, vk) || !MaskHas(Hook.liveMask, vk) || DownTowardsSystem(vk))
            continue;
        AddKey(batch, vk, false, SentHeldAgain);
        MaskSet(Hook.passedDown, vk); // on the user's behalf, like the press that reached it
        MaskClear(Hook.typerReleased, vk);
        NoteReachedSystem(vk, true, true);
    }
}

void TurnTogglesBack(KeyBatch* batch, const BYTE* keys, int vk)
{
    if (MaskEmpty(Hook.toggled))
        return;
    for (int toggle : ToggleKeys) {
        if (toggle == vk || !keys[toggle] || !MaskHas(Hook.toggled, toggle))
            continue;
        MaskClear(Hook.toggled, toggle);
        // A fresh press flips the state back; the key ends as it was.
        bool down = DownTowardsSystem(toggle);
        AddKey(batch, toggle, down, SentToggleBack);
        NoteReachedSystem(toggle, !down, true);
        AddKey(batch, toggle, !down, SentToggleBack);
        NoteReachedSystem(toggle, down, true);
    }
}

void HeldTowardsSystem(BYTE* held)
{
    // Also what the typer has let go of for a text before: the hook presses
    // it again before the next text is typed.
    for (int code = 0; code < KeyCount; ++code)
        held[code] = InRecord(code) ? KeyDown : 0;
}
