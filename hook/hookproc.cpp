#include "hookproc.h"

#include <cstring>

#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "platform.h"
#include "foreground.h"
#include "programview.h"
#include "quillhook.h"
#include "systemkeys.h"
#include "typingqueue.h"
#include "webaddress.h"

HookState Hook;
std::atomic<DWORD> HookCallCount;

void ClearHookState()
{
    std::memset(&Hook, 0, sizeof Hook);
    IndexCombinationTable();
}

void ClearLiveKeys()
{
    std::memset(Hook.live, 0, sizeof Hook.live);
    std::memset(&Hook.liveMask, 0, sizeof Hook.liveMask);
    std::memset(&Hook.reached, 0, sizeof Hook.reached);
    std::memset(&Hook.toggled, 0, sizeof Hook.toggled);
}

void IndexCombinationTable()
{
    BuildMatchIndex(&Hook.index, &Hook.table);
    BuildViews(&Hook.table, Foreground.program);
}

namespace {
void SetLive(int code, BYTE value)
{
    // Unchanged entries are not written: a read of the whole state right
    // after a narrow write waits for the write (every event reads it).
    if (Hook.live[code] == value)
        return;
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

// A target's Ctrl, Alt and Shift flags and the keys that stand for them.
const struct {
    int flag;
    int vk;
} TargetModifiers[] = {{CtrlByte, 0x11}, {AltByte, 0xA4}, {ShiftByte, 0xA0}};

void PressTarget(KeyBatch* out, const CombinationRecord& record)
{
    for (const auto& m : TargetModifiers)
        if (record.payload[m.flag])
            SendPress(out, m.vk, SentForRule);
    SendPress(out, static_cast<BYTE>(record.payload[TargetByte]), SentForRule);
}

// Once the target is up, what the user still holds of the modifiers is down
// towards the system again: Ctrl+J changed into Down, then C, gives Ctrl+C.
void ReleaseTarget(KeyBatch* out, const CombinationRecord& record)
{
    SendRelease(out, static_cast<BYTE>(record.payload[TargetByte]), SentForRule);
    for (const auto& m : TargetModifiers)
        if (record.payload[m.flag])
            SendRelease(out, m.vk, SentForRule);
    PressHeldModifiersAgain(out);
}

// A ChangeKey record hit in the first pass: the rest of the combination is
// let go towards the system while the target is held.
void ChangeKeyDirectly(KeyBatch* out, const CombinationRecord& record, int vk, bool down)
{
    if (down) {
        if (vk == 0x11 || vk == 0x12 || (vk >= 0xA2 && vk <= 0xA5))
            SendRelease(out, vk, SentForRule);
        for (int code = 0; code < 255; ++code)
            if (code != vk && record.keys[code] == KeyDown)
                SendRelease(out, code, SentForRule);
        TurnTogglesBack(out, record.keys, vk);
        PressTarget(out, record);
    } else {
        ReleaseTarget(out, record);
    }
}

void PerformAction(KeyBatch* out, const CombinationRecord& record, bool down)
{
    switch (record.action) {
    case TypeText:
        if (down) {
            BYTE held[KeyCount];
            HeldTowardsSystem(held);
            EnqueueText(record.payload, PayloadSize, held, Hook.capsLockOn);
        }
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
            PressTarget(out, record);
        else
            ReleaseTarget(out, record);
        break;
    default:
        break;
    }
}

// `exact` receives the slot of exactly the held keys, for the second pass.
int FirstPassHit(const MatchIndex* index, const KeyMask& live, int vk, const MatchSlot** exactOut)
{
    int hit = index->firstBlock[vk];
    if (index->firstSingleChange[vk] < hit)
        hit = index->firstSingleChange[vk];
    // Whole ChangeKey combinations hit only for an event on one of their own
    // keys: the release of another key goes on like any other event.
    const MatchSlot* exact = FindExact(index, live);
    *exactOut = exact;
    if (exact && exact->firstChangeKey < hit && Hook.table.records[exact->firstChangeKey].keys[vk])
        hit = exact->firstChangeKey;
    return hit;
}

int SecondPassHit(const MatchIndex* index, const KeyMask& live, int vk, const MatchSlot* exact)
{
    // A press is in the held keys already: the first pass looked them up.
    if (!MaskHas(live, vk)) {
        KeyMask withKey = live;
        MaskSet(withKey, vk);
        exact = FindExact(index, withKey);
    }
    return exact ? exact->firstAny : NoRecord;
}

void ReleaseEveryPressedKey(KeyBatch* out)
{
    for (int code = 0; code < KeyCount; ++code)
        if (MaskHas(Hook.pressedDown, code))
            SendRelease(out, code, SentForRule);
}

// Once no key is held, nothing the hook pressed stays down.
void ReleaseWhatNoKeyHolds(KeyBatch* out)
{
    if (MaskEmpty(Hook.liveMask) && !MaskEmpty(Hook.pressedDown))
        ReleaseEveryPressedKey(out);
}

// A release of `vk` goes out towards the system.
void ReleaseWentOut(KeyBatch* out, int vk)
{
    NoteReachedSystem(vk, false, false);
    MaskClear(Hook.passedDown, vk);
    MaskClear(Hook.pressedDown, vk);
    MaskClear(Hook.typerReleased, SideOf(vk));
    ReleaseWhatNoKeyHolds(out);
}

// The release of a key whose press reached the system is passed on even when
// the rules swallow it.
bool ReleaseGoesOn(KeyBatch* out, int vk)
{
    bool reachedSystem = MaskHas(Hook.passedDown, vk) || MaskHas(Hook.pressedDown, vk);
    if (reachedSystem)
        ReleaseWentOut(out, vk);
    else
        ReleaseWhatNoKeyHolds(out);
    return reachedSystem;
}

// A key the hook holds as down that the system has let go of, without a
// release from Quillon, was let go where the hook is not called (a window of
// an elevated program, the secure desktop): it is up. Only the held keys
// whose press the system saw are asked.
void ForgetLostReleases(int vk)
{
    if (TyperLettingGo.load())
        return;
    KeyMask asked = Hook.liveMask;
    for (int w = 0; w < 4; ++w)
        asked.words[w] &= Hook.passedDown.words[w] & ~Hook.typerReleased.words[w];
    MaskClear(asked, vk);
    asked.words[0] &= ~((std::uint64_t(1) << 0x10) | (std::uint64_t(1) << 0x11) | (std::uint64_t(1) << 0x12));
    for (int w = 0; w < 4; ++w) {
        for (std::uint64_t bits = asked.words[w]; bits; bits &= bits - 1) {
            int code = w * 64 + LowestBit(bits);
            if (OsAsyncKeyDown(static_cast<BYTE>(code)))
                continue;
            SetLive(code, 0);
            MaskClear(Hook.passedDown, code);
            MaskClear(Hook.pressedDown, code);
            NoteLetGo(code);
        }
    }
}

// How one real event ends: what goes out first, then swallowed or passed on.
struct RealEvent {
    int code;
    WPARAM wParam;
    LPARAM lParam;
    int vk;
    bool down;
    bool repeat;
    BYTE loneBefore; // Alt and Win keys alone towards the system before the event
};

LRESULT Decide(KeyBatch* out, bool swallow, const RealEvent& e)
{
    int vk = e.vk;
    if (!swallow) {
        if (e.down)
            NotePassedOn(vk, true, e.repeat);
        else
            ReleaseWentOut(out, vk);
    } else if (e.down) {
        // The system never sees this key between Alt or Win and its release.
        if (Hook.loneMenuKeys & e.loneBefore)
            MaskLoneMenuKeys(out);
    } else if (ReleaseGoesOn(out, vk)) {
        swallow = false;
    }
    MaskWhatTheHookLeftAlone(out);
    SendBatch(out);
    return swallow ? 1 : OsCallNextHook(e.code, e.wParam, e.lParam);
}
} // namespace

void ReleasePressedKeys()
{
    KeyBatch out;
    BeginBatch(&out);
    ReleaseEveryPressedKey(&out);
    // A target's modifier may be one the user holds.
    PressHeldModifiersAgain(&out);
    MaskWhatTheHookLeftAlone(&out);
    SendBatch(&out);
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

    if (flags & LLKHF_INJECTED) {
        DeriveGenericModifiers();
        NoteInjected(vk, down, event->dwExtraInfo);
        return OsCallNextHook(code, wParam, lParam);
    }
    // The left Ctrl that Windows sends with right Alt on layouts with AltGr
    // is no key of the user's: it is only kept as down towards the system.
    if (vk == 0xA2 && event->scanCode == 0x21D) {
        NoteReachedSystem(vk, down, false);
        if (down)
            MaskSet(Hook.passedDown, vk);
        else
            MaskClear(Hook.passedDown, vk);
        return OsCallNextHook(code, wParam, lParam);
    }

    const bool wasHeld = Hook.live[vk] == KeyDown;
    const RealEvent real = {code, wParam, lParam, vk, down, down && wasHeld, Hook.loneMenuKeys};
    // With wheres, the combinations of the program in front when the key went down.
    if (Views.ids.anyWhere && down && !wasHeld)
        FollowForegroundForPress();
    const MatchIndex* index = Views.ids.anyWhere ? ViewOfEvent(vk, down, wasHeld) : &Hook.index;
    if (down)
        ForgetLostReleases(vk);
    else
        NoteLetGo(vk);
    SetLive(vk, down ? KeyDown : 0);
    DeriveGenericModifiers();
    if (down)
        std::memcpy(Hook.lastCombSnapshot, Hook.live, KeyCount);

    KeyBatch out;
    BeginBatch(&out);
    if (Hook.sendLastComb) {
        if (Hook.lastCombBuffer)
            std::memcpy(Hook.lastCombBuffer, Hook.lastCombSnapshot, KeyCount);
        char text[CaptureTextSize];
        GetCombinationText(Hook.lastCombSnapshot, text, sizeof text);
        if (Hook.lastCombWindow)
            OsSetWindowText(Hook.lastCombWindow, text);
        return Decide(&out, true, real);
    }

    const MatchSlot* exact = nullptr;
    int first = FirstPassHit(index, Hook.liveMask, vk, &exact);
    if (first != NoRecord) {
        const CombinationRecord& record = Hook.table.records[first];
        if (record.action == ChangeKey)
            ChangeKeyDirectly(&out, record, vk, down);
        return Decide(&out, true, real);
    }

    // The released key counts as held for whole combinations; generic entries
    // are not recomputed, so a released side modifier misses here.
    int second = SecondPassHit(index, Hook.liveMask, vk, exact);
    if (second != NoRecord) {
        const CombinationRecord& record = Hook.table.records[second];
        if (down)
            TurnTogglesBack(&out, record.keys, vk);
        PerformAction(&out, record, down);
        return Decide(&out, true, real);
    }
    return Decide(&out, false, real);
}
