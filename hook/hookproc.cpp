#include "hookproc.h"

#include <cstring>

#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "platform.h"
#include "quillhook.h"
#include "typingqueue.h"
#include "webaddress.h"

HookState Hook;
std::atomic<DWORD> HookCallCount;

void ClearHookState()
{
    std::memset(&Hook, 0, sizeof Hook);
    BuildMatchIndex(&Hook.index, &Hook.table);
}

void ResetExtendedKeyFlags()
{
    std::memset(Hook.extendedKeyFlags, 0, sizeof Hook.extendedKeyFlags);
    Hook.extendedKeyFlags[0xA1] = 1;
    Hook.extendedKeyFlags[0xA3] = 1;
    Hook.extendedKeyFlags[0xA5] = 1;
}

void ClearLiveKeys()
{
    std::memset(Hook.live, 0, sizeof Hook.live);
    std::memset(&Hook.liveMask, 0, sizeof Hook.liveMask);
}

void IndexCombinationTable() { BuildMatchIndex(&Hook.index, &Hook.table); }

void PressKey(int vk)
{
    if (vk < 0 || vk > 255)
        return;
    OsKeybdEvent(static_cast<BYTE>(vk), 0, Hook.extendedKeyFlags[vk], 0);
}

void ReleaseKey(int vk)
{
    if (vk < 0 || vk > 255)
        return;
    OsKeybdEvent(static_cast<BYTE>(vk), 0, Hook.extendedKeyFlags[vk] | KEYEVENTF_KEYUP, 0);
}

void PressKeys(const BYTE* keys)
{
    for (int code = 0; code < 255; ++code)
        if (keys[code] == KeyDown)
            PressKey(code);
}

void ReleaseKeys(const BYTE* keys)
{
    for (int code = 0; code < 255; ++code)
        if (keys[code] == KeyDown)
            ReleaseKey(code);
}

namespace {
void SetLive(int code, BYTE value)
{
    Hook.live[code] = value;
    if (value)
        MaskSet(Hook.liveMask, code);
    else
        MaskClear(Hook.liveMask, code);
}

// Generic Shift, Ctrl and Alt follow their left and right keys.
void DeriveGenericModifiers()
{
    SetLive(0x10, Hook.live[0xA0] | Hook.live[0xA1]);
    SetLive(0x11, Hook.live[0xA2] | Hook.live[0xA3]);
    SetLive(0x12, Hook.live[0xA4] | Hook.live[0xA5]);
}

// The hook's own presses and releases: as PressKey and ReleaseKey, and kept
// in the record of keys down towards the system.
void SendPress(int vk)
{
    if (vk < 0 || vk > 255)
        return;
    PressKey(vk);
    MaskSet(Hook.pressedDown, vk);
}

void SendRelease(int vk)
{
    if (vk < 0 || vk > 255)
        return;
    ReleaseKey(vk);
    MaskClear(Hook.pressedDown, vk);
    MaskClear(Hook.passedDown, vk);
}

void PressTarget(const CombinationRecord& record)
{
    const char* p = record.payload;
    if (p[CtrlByte])
        SendPress(0x11);
    if (p[AltByte])
        SendPress(0xA4);
    if (p[ShiftByte])
        SendPress(0xA0);
    SendPress(static_cast<BYTE>(p[TargetByte]));
}

void ReleaseTarget(const CombinationRecord& record)
{
    const char* p = record.payload;
    SendRelease(static_cast<BYTE>(p[TargetByte]));
    if (p[CtrlByte])
        SendRelease(0x11);
    if (p[AltByte])
        SendRelease(0xA4);
    if (p[ShiftByte])
        SendRelease(0xA0);
}

// A ChangeKey record hit in the first pass: the rest of the combination is
// let go towards the system while the target is held, and what the user
// still holds of it is pressed again after.
void ChangeKeyDirectly(const CombinationRecord& record, int vk, bool down)
{
    if (down) {
        if (vk == 0x11 || vk == 0x12 || (vk >= 0xA2 && vk <= 0xA5))
            SendRelease(vk);
        for (int code = 0; code < 255; ++code)
            if (code != vk && record.keys[code] == KeyDown)
                SendRelease(code);
        PressTarget(record);
    } else {
        ReleaseTarget(record);
        // A generic entry is held only while its left or right key is.
        for (int code = 0; code < 255; ++code)
            if (code != vk && record.keys[code] == KeyDown && Hook.live[code] == KeyDown)
                SendPress(code);
    }
}

void PerformAction(const CombinationRecord& record, bool down)
{
    switch (record.action) {
    case TypeText:
        if (down)
            EnqueueText(record.payload, PayloadSize);
        break;
    case LaunchApplication:
        if (!down)
            QueueLaunch(record.payload, PayloadSize);
        break;
    case GoToUrl:
        // Web pages only: an "address" from a shared file must not start a program.
        if (!down && IsWebAddress(record.payload))
            QueueLaunch(record.payload, PayloadSize);
        else if (!down)
            OsMessageBeep(MB_ICONASTERISK);
        break;
    case ChangeKey:
        if (down)
            PressTarget(record);
        else
            ReleaseTarget(record);
        break;
    default:
        break;
    }
}

int FirstPassHit(const KeyMask& live, int vk)
{
    int hit = Hook.index.firstBlock[vk];
    if (Hook.index.firstSingleChange[vk] < hit)
        hit = Hook.index.firstSingleChange[vk];
    // Whole ChangeKey combinations hit only for an event on one of their own
    // keys: the release of another key goes on like any other event.
    const MatchSlot* exact = FindExact(&Hook.index, live);
    if (exact && exact->firstChangeKey < hit && Hook.table.records[exact->firstChangeKey].keys[vk])
        hit = exact->firstChangeKey;
    return hit;
}

int SecondPassHit(const KeyMask& live)
{
    const MatchSlot* exact = FindExact(&Hook.index, live);
    return exact ? exact->firstAny : NoRecord;
}

// A release of `vk` goes out towards the system; once no key is held, nothing
// the hook pressed stays down.
void ReleaseWentOut(int vk)
{
    MaskClear(Hook.passedDown, vk);
    MaskClear(Hook.pressedDown, vk);
    if (MaskEmpty(Hook.liveMask) && !MaskEmpty(Hook.pressedDown))
        ReleasePressedKeys();
}

LRESULT PassOn(int code, WPARAM wParam, LPARAM lParam, int vk, bool down)
{
    if (down)
        MaskSet(Hook.passedDown, vk);
    else
        ReleaseWentOut(vk);
    return OsCallNextHook(code, wParam, lParam);
}

// The release of a key whose press reached the system is passed on even when
// the rules swallow it.
LRESULT SwallowRelease(int code, WPARAM wParam, LPARAM lParam, int vk)
{
    bool reachedSystem = MaskHas(Hook.passedDown, vk) || MaskHas(Hook.pressedDown, vk);
    ReleaseWentOut(vk); // clears nothing that is not down
    return reachedSystem ? OsCallNextHook(code, wParam, lParam) : 1;
}
} // namespace

void ReleasePressedKeys()
{
    for (int code = 0; code < KeyCount; ++code)
        if (MaskHas(Hook.pressedDown, code))
            SendRelease(code);
}

extern "C" LRESULT CALLBACK KeyRemapProc(int code, WPARAM wParam, LPARAM lParam)
{
    HookCallCount.fetch_add(1, std::memory_order_relaxed);
    if (code != HC_ACTION)
        return OsCallNextHook(code, wParam, lParam);

    // Everything below works on locals or on state that a nested (injected)
    // call leaves as it found it: synthesized keys re-enter this procedure.
    const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const int vk = static_cast<int>(event->vkCode & 0xFF);
    const DWORD flags = event->flags;
    const bool down = (flags & LLKHF_UP) == 0;
    const bool injected = (flags & LLKHF_INJECTED) != 0;

    if (!injected)
        SetLive(vk, down ? KeyDown : 0);
    DeriveGenericModifiers();
    if (injected)
        return OsCallNextHook(code, wParam, lParam);

    if (flags & LLKHF_EXTENDED)
        Hook.extendedKeyFlags[vk] = 1;
    if (down)
        std::memcpy(Hook.lastCombSnapshot, Hook.live, KeyCount);

    if (Hook.sendLastComb) {
        if (Hook.lastCombBuffer)
            std::memcpy(Hook.lastCombBuffer, Hook.lastCombSnapshot, KeyCount);
        char text[CaptureTextSize];
        GetCombinationText(Hook.lastCombSnapshot, text, sizeof text);
        if (Hook.lastCombWindow)
            OsSetWindowText(Hook.lastCombWindow, text);
        return down ? 1 : SwallowRelease(code, wParam, lParam, vk);
    }

    KeyMask live = Hook.liveMask;
    int first = FirstPassHit(live, vk);
    if (first != NoRecord) {
        const CombinationRecord& record = Hook.table.records[first];
        if (record.action == ChangeKey)
            ChangeKeyDirectly(record, vk, down);
        return down ? 1 : SwallowRelease(code, wParam, lParam, vk);
    }

    // The released key counts as held for whole combinations; generic entries
    // are not recomputed, so a released side modifier misses here.
    MaskSet(live, vk);
    int second = SecondPassHit(live);
    if (second != NoRecord) {
        PerformAction(Hook.table.records[second], down);
        return down ? 1 : SwallowRelease(code, wParam, lParam, vk);
    }
    return PassOn(code, wParam, lParam, vk, down);
}
