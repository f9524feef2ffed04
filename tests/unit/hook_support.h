// Building tables, feeding events and reading back what the hook did.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "hookproc.h"
#include "keysend.h"
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

inline CombinationRecord Where(CombinationRecord r, BYTE kind, const char* program)
{
    CombinationWhere where;
    ClearWhere(&where);
    where.kind = kind;
    AddWhereName(&where, program);
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

// A sent key back through `proc` as the system delivers it: injected, a
// generic Shift, Ctrl or Alt as its left-hand key, a character as VK_PACKET.
inline void ReinjectInto(LRESULT (*proc)(int, WPARAM, LPARAM), const FakeKeyEvent& e)
{
    DWORD flags = LLKHF_INJECTED;
    if (e.flags & KEYEVENTF_KEYUP)
        flags |= LLKHF_UP;
    if (e.flags & KEYEVENTF_EXTENDEDKEY)
        flags |= LLKHF_EXTENDED;
    int vk = e.vk;
    if (e.flags & KEYEVENTF_UNICODE)
        vk = 0xE7;
    else if (vk >= 0x10 && vk <= 0x12)
        vk = vk == 0x10 ? 0xA0 : vk == 0x11 ? (e.flags & KEYEVENTF_EXTENDEDKEY ? 0xA3 : 0xA2)
                                            : (e.flags & KEYEVENTF_EXTENDEDKEY ? 0xA5 : 0xA4);
    Feed(proc, vk, flags, 0, e.extra, e.scan);
}

// "+66" press, "-66" release, "e" extended; "u+E9" a Unicode character
// event. A key whose scan code or extended bit is not its own, or that does
// not carry Quillon's mark, says so. `rulesOnly` leaves out what is sent for
// the system's sake: masks, modifiers pressed again, toggle keys turned back,
// the typer's keys.
inline std::string SynthesizedKeys(std::size_t from = 0, bool rulesOnly = false)
{
    std::string out;
    for (std::size_t i = from; i < Fake.keyEvents.size(); ++i) {
        const FakeKeyEvent& e = Fake.keyEvents[i];
        if (rulesOnly && SentReason(e.extra) != SentForRule)
            continue;
        if (!out.empty())
            out += ' ';
        char token[48];
        if (e.flags & KEYEVENTF_UNICODE) {
            std::snprintf(token, sizeof token, "u%c%X", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.unicode);
        } else {
            unsigned own = OsScanCodeOf(e.vk, Fake.foregroundLayout);
            bool extended = (e.flags & KEYEVENTF_EXTENDEDKEY) != 0;
            std::snprintf(token, sizeof token, "%c%d%s%s", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.vk, extended ? "e" : "",
                          (e.scan != (own & 0xFF) || extended != ((own >> 8) == 0xE0)) ? "!scan" : "");
        }
        out += token;
        if (!IsQuillonEvent(e.extra))
            out += "!unmarked";
    }
    return out;
}

// The texts queued for typing and the launches asked for since the last call.
inline std::string TakeSideEffects()
{
    std::string out;
    while (char* text = TakeNextText()) {
        out += std::string(out.empty() ? "" : " ") + "T(" + text + ")";
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
