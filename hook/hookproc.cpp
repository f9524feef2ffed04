#include "hookproc.h"

#include <cstring>

#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "platform.h"
#include "quillhook.h"
#include "typingqueue.h"

HookState Hook;
DWORD HookCallCount;

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

void PressTarget(const CombinationRecord& record)
{
    const char* p = record.payload;
    if (p[CtrlByte])
        PressKey(0x11);
    if (p[AltByte])
        PressKey(0xA4);
    if (p[ShiftByte])
        PressKey(0xA0);
    PressKey(static_cast<BYTE>(p[TargetByte]));
}

void ReleaseTarget(const CombinationRecord& record)
{
    const char* p = record.payload;
    ReleaseKey(static_cast<BYTE>(p[TargetByte]));
    if (p[CtrlByte])
        ReleaseKey(0x11);
    if (p[AltByte])
        ReleaseKey(0xA4);
    if (p[ShiftByte])
        ReleaseKey(0xA0);
}

// A ChangeKey record hit in the first pass: the rest of the combination is
// let go towards the system while the target is held, and pressed again after.
void ChangeKeyDirectly(const CombinationRecord& record, int vk, bool down)
{
    BYTE others[KeyCount];
    std::memcpy(others, record.keys, KeyCount);
    others[vk] = 0;
    if (down) {
        if (vk == 0x11 || vk == 0x12 || (vk >= 0xA2 && vk <= 0xA5))
            ReleaseKey(vk);
        ReleaseKeys(others);
        PressTarget(record);
    } else {
        ReleaseTarget(record);
        PressKeys(others);
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
    case GoToUrl:
        if (!down)
            QueueLaunch(record.payload, PayloadSize);
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
    const MatchSlot* exact = FindExact(&Hook.index, live);
    if (exact && exact->firstChangeKey < hit)
        hit = exact->firstChangeKey;
    return hit;
}

int SecondPassHit(const KeyMask& live)
{
    const MatchSlot* exact = FindExact(&Hook.index, live);
    return exact ? exact->firstAny : NoRecord;
}
} // namespace

extern "C" LRESULT CALLBACK KeyRemapProc(int code, WPARAM wParam, LPARAM lParam)
{
    ++HookCallCount;
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
        return 1;
    }

    KeyMask live = Hook.liveMask;
    int first = FirstPassHit(live, vk);
    if (first != NoRecord) {
        const CombinationRecord& record = Hook.table.records[first];
        if (record.action == ChangeKey)
            ChangeKeyDirectly(record, vk, down);
        return 1;
    }

    // The released key counts as held for whole combinations; generic entries
    // are not recomputed, so a released side modifier misses here.
    MaskSet(live, vk);
    int second = SecondPassHit(live);
    if (second != NoRecord) {
        PerformAction(Hook.table.records[second], down);
        return 1;
    }
    return OsCallNextHook(code, wParam, lParam);
}
