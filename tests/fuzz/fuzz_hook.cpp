// An arbitrary table and an arbitrary stream of key events through the hook,
// with the texts it queues typed against the fake layer. After every event:
// generic modifiers equal the OR of their sides, an injected event changes no
// state and is never swallowed, code 255 is never sent by the plural forms,
// the typing queue never holds more than 12 texts, and whenever the user holds
// no key, no key is down towards the system.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fake_platform.h"
#include "hookproc.h"
#include "keynames.h"
#include "launcher.h"
#include "library.h"
#include "quillhook.h"
#include "typer.h"
#include "typingqueue.h"

namespace {
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
    std::uint8_t Next() { return at < size ? data[at++] : 0; }
    bool More() const { return at < size; }
};

const LRESULT Passed = 7;
BYTE g_capture[256];
bool g_held[256]; // the user's keys: real events with hook code 0

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// The table: a record count, then per record an action, its keys and either
// a ChangeKey payload or a short text without a terminator in the input.
void ReadTable(Input& in)
{
    int count = in.Next() % 17;
    Hook.table.count = count;
    for (int i = 0; i < count; ++i) {
        CombinationRecord& r = Hook.table.records[i];
        std::memset(&r, 0, sizeof r);
        r.action = in.Next() % 8;
        int keys = in.Next() % 5;
        for (int k = 0; k < keys; ++k)
            r.keys[in.Next()] = in.Next() | 1; // any nonzero byte, folded at load
        if (r.action == ChangeKey) {
            for (int b = 0; b < 4; ++b)
                r.payload[b] = static_cast<char>(in.Next());
            // A target of 255 is a singular press: keep it out so that any
            // 255 sent can only come from the plural forms.
            if (static_cast<BYTE>(r.payload[TargetByte]) == 255)
                r.payload[TargetByte] = 0;
        } else {
            int length = in.Next() % 8;
            for (int c = 0; c < length; ++c)
                r.payload[c] = static_cast<char>(in.Next() | 0x20);
        }
    }
    IndexCombinationTable();
}

void Event(Input& in)
{
    int vk = in.Next();
    DWORD flags = in.Next();
    std::uint8_t control = in.Next();
    int code = (control & 3) == 3 ? static_cast<int>(control) - 128 : 0;
    if (control & 4)
        SetSendLastComb((control >> 3) & 1);
    if ((control & 0x70) == 0x70)
        ResetKeysState();

    BYTE live[256], extended[256], snapshot[256];
    std::memcpy(live, Hook.live, 256);
    std::memcpy(extended, Hook.extendedKeyFlags, 256);
    std::memcpy(snapshot, Hook.lastCombSnapshot, 256);
    std::size_t before = Fake.keyEvents.size();
    BYTE systemBefore = Fake.systemKeys[vk];

    KBDLLHOOKSTRUCT e = {static_cast<DWORD>(vk), 0, flags, 0, 0};
    LRESULT result = KeyRemapProc(code, (flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN,
                                  reinterpret_cast<LPARAM>(&e));

    Check(Hook.live[16] == (Hook.live[160] | Hook.live[161]));
    Check(Hook.live[17] == (Hook.live[162] | Hook.live[163]));
    Check(Hook.live[18] == (Hook.live[164] | Hook.live[165]));
    if (code != 0 || (flags & LLKHF_INJECTED)) {
        Check(result == Passed);
        for (int c = 0; c < 256; ++c) {
            if (c < 16 || c > 18)
                Check(Hook.live[c] == live[c]);
            Check(Hook.extendedKeyFlags[c] == extended[c]);
            Check(Hook.lastCombSnapshot[c] == snapshot[c]);
        }
        Check(Fake.keyEvents.size() == before);
    }
    for (std::size_t i = before; i < Fake.keyEvents.size(); ++i)
        Check(Fake.keyEvents[i].vk != 255);
    Check(WaitingTexts() <= 12);

    // Events with another hook code are no user's: the hook must not look.
    if (code != 0)
        Fake.systemKeys[vk] = systemBefore;
    else if (!(flags & LLKHF_INJECTED))
        g_held[vk] = (flags & LLKHF_UP) == 0;
    bool holding = false;
    for (int c = 0; c < 256; ++c)
        holding = holding || g_held[c];
    for (int c = 0; c < 256 && !holding; ++c)
        Check(Fake.systemKeys[c] == 0);

    // Now and then the typer's turn: type what waits.
    if (in.Next() % 4 == 0) {
        while (char* text = TakeNextText()) {
            TypeString(text);
            OsFree(text);
        }
        RunQueuedLaunches();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FakeReset();
    LibraryStartup(); // no file: an empty table; threads recorded, not run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fake.keyEvents.clear();
    Fake.hookPasses.clear();
    Fake.windowTexts.clear();
    Fake.shellOpens.clear();
    Fake.beeps.clear();
    Fake.sleeps.clear();
    Fake.nextHookResult = Passed;
    while (char* text = TakeNextText())
        OsFree(text);
    ClearLiveKeys();
    std::memset(&Hook.passedDown, 0, sizeof Hook.passedDown);
    std::memset(&Hook.pressedDown, 0, sizeof Hook.pressedDown);
    std::memset(Fake.systemKeys, 0, sizeof Fake.systemKeys);
    std::memset(g_held, 0, sizeof g_held);
    SetSendLastComb(0);
    SetLastCombBuffer(g_capture);
    SetLastCombWindow(reinterpret_cast<HWND>(0x1003));

    Input in = {data, size, 0};
    ReadTable(in);
    while (in.More())
        Event(in);
    return 0;
}
