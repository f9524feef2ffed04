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

// The record that acts on the event, or NoRecord; `direct` when it hit in
// the first pass.
int RecordHit(const MatchIndex* index, const KeyMask& live, int vk, bool* direct)
{
    // Every hit below is of a record that holds the event's key.
    if (!MaskHas(index->inSome, vk))
        return NoRecord;
    int hit = index->firstBlock[vk];
    if (index->firstSingleChange[vk] < hit)
        hit = index->firstSingleChange[vk];
    // Whole ChangeKey combinations hit only for an event on one of their own
    // keys: the release of another key goes on like any other event.
    const MatchSlot* exact = nullptr;
    const bool exactKnown = MaskHas(index->inSomeChange, vk);
    if (exactKnown) {
        exact = FindExact(index, live);
        if (exact && exact->firstChangeKey < hit && Hook.table.records[exact->firstChangeKey].keys[vk])
            hit = exact->firstChangeKey;
    }
    *direct = hit != NoRecord;
    if (*direct)
        return hit;
    // The second pass: the released key counts as held for whole
    // combinations; generic entries are not recomputed, so a released side
    // modifier misses here. A press is in the held keys already.
    if (!MaskHas(live, vk)) {
        KeyMask withKey = live;
        MaskSet(withKey, vk);
        exact = FindExact(index, withKey);
    } else if (!exactKnown) {
        exact = FindExact(index, live);
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
    NoteReleaseWentOut(vk);
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

// The keys whose state the generic Shift, Ctrl and Alt are derived from.
bool ShiftCtrlOrAlt(int vk) { return (vk >= 0x10 && vk <= 0x12) || (vk >= 0xA0 && vk <= 0xA5); }

// Of the held keys `bits` of word `w`, those the system has let go of are
// forgotten; whether there were any.
bool ForgetLetGo(int w, std::uint64_t bits)
{
    bool forgot = false;
    for (; bits; bits &= bits - 1) {
        int code = w * 64 + LowestBit(bits);
        if (OsAsyncKeyDown(static_cast<BYTE>(code)))
            continue;
        SetLive(code, 0);
        MaskClear(Hook.passedDown, code);
        MaskClear(Hook.pressedDown, code);
        NoteLetGo(code);
        forgot = true;
    }
    return forgot;
}

// A key the hook holds as down that the system has let go of, without a
// release from Quillon, was let go where the hook is not called (a window of
// an elevated program, the secure desktop): it is up. Only the held keys
// whose press the system saw are asked.
void ForgetLostReleases(int vk)
{
    if (TyperLettingGo.load())
        return;
    KeyMask asked;
    for (int w = 0; w < 4; ++w)
        asked.words[w] = Hook.liveMask.words[w] & Hook.passedDown.words[w] & ~Hook.typerReleased.words[w];
    MaskClear(asked, vk);
    asked.words[0] &= ~(std::uint64_t(7) << 0x10); // generic Shift, Ctrl and Alt: derived
    // Word by word, written out: most words hold no key.
    bool forgot = false;
    if (asked.words[0])
        forgot |= ForgetLetGo(0, asked.words[0]);
    if (asked.words[1])
        forgot |= ForgetLetGo(1, asked.words[1]);
    if (asked.words[2])
        forgot |= ForgetLetGo(2, asked.words[2]);
    if (asked.words[3])
        forgot |= ForgetLetGo(3, asked.words[3]);
    if (forgot)
        DeriveGenericModifiers();
}

// How one real event ends.
struct RealEvent {
    int vk;
    bool down;
    bool repeat;
    BYTE loneBefore; // Alt and Win keys alone towards the system before the event
};

// What goes out first; whether the event is still swallowed.
bool Decide(KeyBatch* out, bool swallow, RealEvent e)
{
    int vk = e.vk;
    if (!swallow) {
        if (e.down)
            NotePassedOn(vk, e.repeat);
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
    return swallow;
}

// What the rules make of a real event: true when it is swallowed.
bool Act(KeyBatch* out, const MatchIndex* index, int vk, bool down)
{
    if (Hook.sendLastComb) {
        BYTE snapshot[KeyCount];
        KeysOfMask(Hook.lastCombSnapshot, snapshot);
        if (Hook.lastCombBuffer)
            std::memcpy(Hook.lastCombBuffer, snapshot, KeyCount);
        char text[CaptureTextSize];
        GetCombinationText(snapshot, text, sizeof text);
        if (Hook.lastCombWindow)
            OsSetWindowText(Hook.lastCombWindow, text);
        return true;
    }
    bool direct = false;
    int hit = RecordHit(index, Hook.liveMask, vk, &direct);
    if (hit == NoRecord)
        return false;
    const CombinationRecord& record = Hook.table.records[hit];
    if (direct) {
        if (record.action == ChangeKey)
            ChangeKeyDirectly(out, record, vk, down);
        return true;
    }
    if (down)
        TurnTogglesBack(out, record.keys, vk);
    PerformAction(out, record, down);
    return true;
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
    const RealEvent real = {vk, down, down && wasHeld, Hook.loneMenuKeys};
    // With wheres, the combinations of the program in front when the key went down.
    if (Views.ids.anyWhere && down && !wasHeld)
        FollowForegroundForPress();
    const MatchIndex* index = Views.ids.anyWhere ? ViewOfEvent(vk, down, wasHeld) : &Hook.index;
    if (down)
        ForgetLostReleases(vk);
    else
        NoteLetGo(vk);
    SetLive(vk, down ? KeyDown : 0);
    if (ShiftCtrlOrAlt(vk))
        DeriveGenericModifiers();
    if (down)
        Hook.lastCombSnapshot = Hook.liveMask;

    KeyBatch out;
    BeginBatch(&out);
    const bool swallow = Decide(&out, Act(&out, index, vk, down), real);
    return swallow ? 1 : OsCallNextHook(code, wParam, lParam);
}
