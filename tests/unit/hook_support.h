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

inline LRESULT Feed(LRESULT (*proc)(int, WPARAM, LPARAM), int vk, DWORD flags, int code = 0)
{
    KBDLLHOOKSTRUCT event = {static_cast<DWORD>(vk), 0, flags, 0, 0};
    WPARAM message = (flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN;
    return proc(code, message, reinterpret_cast<LPARAM>(&event));
}

// "+66" press, "-66" release, "e" extended; "u+E9" a Unicode character event.
inline std::string SynthesizedKeys(std::size_t from = 0)
{
    std::string out;
    for (std::size_t i = from; i < Fake.keyEvents.size(); ++i) {
        const FakeKeyEvent& e = Fake.keyEvents[i];
        if (!out.empty())
            out += ' ';
        char token[32];
        if (e.flags & KEYEVENTF_UNICODE)
            std::snprintf(token, sizeof token, "u%c%X", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.unicode);
        else
            std::snprintf(token, sizeof token, "%c%d%s%s", (e.flags & KEYEVENTF_KEYUP) ? '-' : '+',
                          e.vk, (e.flags & KEYEVENTF_EXTENDEDKEY) ? "e" : "",
                          (e.scan || e.extra) ? "!scan-or-extra" : "");
        out += token;
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
