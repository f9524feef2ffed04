// Building tables, feeding events and reading back what the hook did.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "hookproc.h"
#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "library.h"
#include "mappingfile.h"
#include "programwhere.h"
#include "quillhook.h"
#include "typer.h"
#include "typingqueue.h"

const LRESULT Passed = 77; // what the fake's next hook answers

inline CombinationRecord Record(std::initializer_list<int> keys, BYTE action, const char* text = "")
{
    CombinationRecord r;
    std::memset(&r, 0, sizeof r);
    for (int k : keys)
        SetKeyDown(r.keys, k); // folded, as the editor stores them
    r.action = action;
    std::snprintf(r.payload, sizeof r.payload, "%s", text);
    return r;
}

inline CombinationRecord Change(std::initializer_list<int> keys, int target, bool ctrl = false,
                                bool alt = false, bool shift = false)
{
    CombinationRecord r = Record(keys, ChangeKey);
    r.payload[TargetByte] = static_cast<char>(target);
    r.payload[CtrlByte] = ctrl;
    r.payload[AltByte] = alt;
    r.payload[ShiftByte] = shift;
    return r;
}

// `r` acting only in, or everywhere except, the programs named (no name for everywhere).
inline CombinationRecord Where(CombinationRecord r, BYTE kind, const char* program, const char* other = nullptr)
{
    CombinationWhere where;
    ClearWhere(&where);
    where.kind = kind;
    for (const char* name : {program, other})
        if (kind && name)
            AddWhereName(&where, name);
    WriteWhere(&r, &where);
    return r;
}

// A freshly loaded library with the fake's threads recorded, not run.
inline void DropQueuedTexts()
{
    if (!Typer.started)
        return;
    while (char* text = TakeNextText())
        OsFree(text);
}

inline void StartFreshLibrary()
{
    DropQueuedTexts();
    FakeReset();
    Fake.nextHookResult = Passed;
    std::memset(&Queue, 0, sizeof Queue);
    std::memset(&Launches, 0, sizeof Launches);
    Typer.started = false;
    ClearHookState();
    LibraryStartup();
}

inline void UseTable(const std::vector<CombinationRecord>& records)
{
    Hook.table.count = static_cast<int>(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        Hook.table.records[i] = records[i];
    IndexCombinationTable();
}

inline LRESULT Feed(LRESULT (*proc)(int, WPARAM, LPARAM), int vk, DWORD flags, int code = 0,
                    ULONG_PTR extra = 0, DWORD scan = 0)
{
    KBDLLHOOKSTRUCT event = {static_cast<DWORD>(vk), scan, flags, 0, extra};
    WPARAM message = (flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN;
    LRESULT result = proc(code, message, reinterpret_cast<LPARAM>(&event));
    if (result == 1 && code == 0 && !(flags & (LLKHF_UP | LLKHF_INJECTED)))
        FakeNoteSwallowed();
    return result;
}

// The key a keyboard sends for a generic Shift, Ctrl or Alt: the left one, or the right.
inline int KeyboardCode(int vk, bool right = false) { return vk >= 0x10 && vk <= 0x12 ? 0xA0 + 2 * (vk - 0x10) + right : vk; }

// A sent key back through `proc` as the system delivers it: injected, a
// generic key as the side its extended bit names, a character as VK_PACKET.
inline void ReinjectInto(LRESULT (*proc)(int, WPARAM, LPARAM), const FakeKeyEvent& e)
{
    bool extended = (e.flags & KEYEVENTF_EXTENDEDKEY) != 0;
    DWORD flags = LLKHF_INJECTED | ((e.flags & KEYEVENTF_KEYUP) ? LLKHF_UP : 0) | (extended ? LLKHF_EXTENDED : 0);
    Feed(proc, (e.flags & KEYEVENTF_UNICODE) ? 0xE7 : KeyboardCode(e.vk, extended), flags, 0, e.extra, e.scan);
}

// "+66" press, "-66" release, "e" extended; "u+E9" a Unicode character event.
// "!scan": not the key's own scan code and extended bit; "!unmarked": without
// Quillon's mark. `rulesOnly`: the rules' keys, none sent for the system's sake.
inline std::string SynthesizedKeys(std::size_t from = 0, bool rulesOnly = false)
{
    std::string out;
    for (std::size_t i = from; i < Fake.keyEvents.size(); ++i) {
        const FakeKeyEvent& e = Fake.keyEvents[i];
        if (rulesOnly && SentReason(e.extra) != SentForRule)
            continue;
        if (!out.empty())
            out += ' ';
        char token[32];
        unsigned own = OsScanCodeOf(e.vk, Fake.foregroundLayout);
        bool extended = (e.flags & KEYEVENTF_EXTENDEDKEY) != 0;
        if (e.flags & KEYEVENTF_UNICODE)
            std::snprintf(token, sizeof token, "u%c%X", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.unicode);
        else
            std::snprintf(token, sizeof token, "%c%d%s%s", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.vk, (e.flags & KEYEVENTF_EXTENDEDKEY) ? "e" : "",
                          (e.scan != (own & 0xFF) || extended != ((own >> 8) == 0xE0)) ? "!scan" : "");
        out += token;
        if (!IsQuillonEvent(e.extra))
            out += "!unmarked";
    }
    return out;
}

// The texts queued for typing (typed as the typer does, when `type`) and the
// launches asked for since the last call.
inline std::string TakeSideEffects(bool type = false)
{
    std::string out;
    BYTE held[256];
    bool capsLock = false;
    while (char* text = TakeNextText(held, &capsLock)) {
        out += std::string(out.empty() ? "" : " ") + "T(" + text + ")";
        if (type)
            TypeString(text, held, capsLock);
        OsFree(text);
    }
    std::size_t before = Fake.shellOpens.size();
    RunQueuedLaunches();
    for (std::size_t i = before; i < Fake.shellOpens.size(); ++i) {
        out += std::string(out.empty() ? "" : " ") + "O(" + Fake.shellOpens[i].file + ")";
        if (Fake.shellOpens[i].owner != FakeDesktop)
            out += "!owner";
    }
    for (std::size_t i = 0; i < Fake.beeps.size(); ++i)
        out += std::string(out.empty() ? "" : " ") + "beep";
    Fake.beeps.clear();
    return out;
}

// The key law, counting the moments it is broken: once the user holds no key,
// nothing is down towards the system; a modifier the user holds whose press
// reached the system is down towards it unless a rule's target is held.
struct KeyLaw {
    bool held[256] = {}, reached[256] = {}, target[256] = {};
    int leftDown = 0, heldUp = 0;
};

// After each event, with the keys sent since `from`: `vk` a real key of the user's (hook code 0)
// or -1, with the hook's answer; `alsoHeld`: a key down that is none of the user's.
inline void LawAfter(KeyLaw* law, std::size_t from, int vk, bool down, LRESULT result, bool alsoHeld = false)
{
    if (vk >= 0) {
        law->held[vk] = down;
        law->reached[vk] = down && (result != 1 || law->reached[vk]);
    }
    for (std::size_t i = from; i < Fake.keyEvents.size(); ++i)
        if (SentReason(Fake.keyEvents[i].extra) == SentForRule)
            law->target[KeyboardCode(Fake.keyEvents[i].vk)] = !(Fake.keyEvents[i].flags & KEYEVENTF_KEYUP);
    bool holding = alsoHeld, systemDown = false, sending = false;
    for (int c = 0; c < 256; ++c) {
        holding = holding || law->held[c];
        systemDown = systemDown || Fake.systemKeys[c];
        sending = sending || law->target[c];
    }
    law->leftDown += !holding && systemDown;
    for (int m : {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C})
        law->heldUp += law->held[m] && law->reached[m] && !sending && !Fake.systemKeys[m];
}
