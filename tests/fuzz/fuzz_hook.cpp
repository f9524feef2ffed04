// An arbitrary table and an arbitrary stream of key events through the hook,
// with the texts it queues typed against the fake layer and every key sent
// coming back through the hook. After every event: generic modifiers equal
// the OR of their sides, an injected event changes no state and is never
// swallowed, code 255 is never sent by the plural forms, the typing queue
// never holds more than 12 texts, whenever the user holds no key no key is
// down towards the system, a modifier the user holds whose press reached the
// system is down towards it unless a target is held, and no Alt or Win goes
// down and up alone towards the system unless the user did just that. The
// records have wheres, and other programs come to the front between events.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "fake_platform.h"
#include "hookproc.h"
#include "keysend.h"
#include "keynames.h"
#include "launcher.h"
#include "library.h"
#include "programwhere.h"
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
const char* const Programs[] = {"a.exe", "b.exe", "c.exe", "d.exe"};
BYTE g_capture[256];
bool g_held[256];    // the user's keys: real events with hook code 0
bool g_reached[256]; // of those, the ones whose press was passed on
bool g_target[256];  // keys that rules pressed and did not release
bool g_altGrCtrl;    // the left Ctrl that comes with AltGr, a key of its own

void Reinject(const FakeKeyEvent& e)
{
    DWORD flags = LLKHF_INJECTED | ((e.flags & KEYEVENTF_KEYUP) ? LLKHF_UP : 0) |
                  ((e.flags & KEYEVENTF_EXTENDEDKEY) ? LLKHF_EXTENDED : 0);
    int vk = (e.flags & KEYEVENTF_UNICODE) ? 0xE7 : e.vk;
    if (vk >= 0x10 && vk <= 0x12) // as Windows takes the generic codes
        vk = vk == 0x10 ? 0xA0 : vk == 0x11 ? ((flags & LLKHF_EXTENDED) ? 0xA3 : 0xA2)
                                            : ((flags & LLKHF_EXTENDED) ? 0xA5 : 0xA4);
    KBDLLHOOKSTRUCT injected = {static_cast<DWORD>(vk), e.scan, flags, 0, e.extra};
    KeyRemapProc(HC_ACTION, (flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN, reinterpret_cast<LPARAM>(&injected));
}

void CheckAt(bool ok, int line)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_hook: the invariant of line %d does not hold\n", line);
        std::abort();
    }
}
#define Check(ok) CheckAt(ok, __LINE__)

// The table: a record count, then per record an action, its keys, either
// a ChangeKey payload or a short text without a terminator in the input, and
// a where (a byte: its kind in the low bits, the names a.exe or b.exe above).
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
        std::uint8_t w = in.Next();
        CombinationWhere where;
        ClearWhere(&where);
        where.kind = static_cast<BYTE>(w % 3);
        if (where.kind)
            AddWhereName(&where, Programs[(w >> 2) & 1]);
        if (where.kind && (w & 0x10))
            AddWhereName(&where, Programs[1 - ((w >> 2) & 1)]);
        WriteWhere(&r, &where);
    }
    IndexCombinationTable();
}

void Event(Input& in)
{
    int vk = in.Next();
    if (vk >= 0x10 && vk <= 0x12)
        vk += 0x90; // a keyboard sends the left or right key
    DWORD flags = in.Next();
    // A flag no event carries: another program comes to the front first.
    if (flags & 0x40)
        FakeForeground(Programs[(flags >> 2) & 3]);
    std::uint8_t control = in.Next();
    int code = (control & 3) == 3 ? static_cast<int>(control) - 128 : 0;
    if (control & 4)
        SetSendLastComb((control >> 3) & 1);
    if ((control & 0x70) == 0x70) {
        ResetKeysState();
        std::memset(g_reached, 0, sizeof g_reached); // the held keys are forgotten
    }
    // Now and then the left Ctrl that comes with AltGr, while the user's own
    // left Ctrl is up; its repeats and its release come with it.
    bool down = (flags & LLKHF_UP) == 0;
    bool altGr = vk == 0xA2 && (g_altGrCtrl || (down && (control & 0x80) && !g_held[0xA2]));
    DWORD scan = altGr ? 0x21D : 0;

    BYTE live[256];
    std::memcpy(live, Hook.live, 256);
    const KeyMask snapshot = Hook.lastCombSnapshot;
    std::size_t before = Fake.keyEvents.size();
    BYTE systemBefore = Fake.systemKeys[vk];

    KBDLLHOOKSTRUCT e = {static_cast<DWORD>(vk), scan, flags, 0, 0};
    LRESULT result = KeyRemapProc(code, (flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN,
                                  reinterpret_cast<LPARAM>(&e));
    bool user = code == 0 && !(flags & LLKHF_INJECTED);
    if (user && result == 1 && down)
        FakeNoteSwallowed();

    Check(Hook.live[16] == (Hook.live[160] | Hook.live[161]));
    Check(Hook.live[17] == (Hook.live[162] | Hook.live[163]));
    Check(Hook.live[18] == (Hook.live[164] | Hook.live[165]));
    if (!user || scan) {
        Check(result == Passed);
        for (int c = 0; c < 256; ++c)
            if (c < 16 || c > 18)
                Check(Hook.live[c] == live[c]);
        Check(MaskEqual(Hook.lastCombSnapshot, snapshot));
    }
    if (!user)
        Check(Fake.keyEvents.size() == before);
    for (std::size_t i = before; i < Fake.keyEvents.size(); ++i)
        Check(Fake.keyEvents[i].vk != 255);
    Check(WaitingTexts() <= 12);

    // Events with another hook code are no user's: the hook must not look.
    if (code != 0)
        Fake.systemKeys[vk] = systemBefore;
    else if (user && scan)
        g_altGrCtrl = down;
    else if (user) {
        g_held[vk] = down;
        g_reached[vk] = down && (result != 1 || g_reached[vk]);
    }

    // Now and then the typer's turn: type what waits.
    if (in.Next() % 4 == 0) {
        BYTE held[256];
        bool capsLock = false;
        while (char* text = TakeNextText(held, &capsLock)) {
            TypeString(text, held, capsLock);
            OsFree(text);
        }
        RunQueuedLaunches();
    }

    for (std::size_t i = before; i < Fake.keyEvents.size(); ++i) {
        const FakeKeyEvent& k = Fake.keyEvents[i];
        int key = k.vk >= 0x10 && k.vk <= 0x12 ? k.vk + 0x90 : k.vk;
        if (SentReason(k.extra) == SentForRule)
            g_target[key] = !(k.flags & KEYEVENTF_KEYUP);
    }
    bool holding = g_altGrCtrl, sending = false;
    for (int c = 0; c < 256; ++c) {
        holding = holding || g_held[c];
        sending = sending || g_target[c];
    }
    for (int c = 0; c < 256 && !holding; ++c)
        Check(Fake.systemKeys[c] == 0);
    for (int m : {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C})
        Check(!g_held[m] || !g_reached[m] || sending || Fake.systemKeys[m] || (m == 0xA2 && g_altGrCtrl));
    Check(Fake.strayMenuTaps == 0);
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
    std::memset(&Hook.typerReleased, 0, sizeof Hook.typerReleased);
    Hook.loneMenuKeys = 0;
    std::memset(Fake.systemKeys, 0, sizeof Fake.systemKeys);
    std::memset(Fake.toggled, 0, sizeof Fake.toggled);
    Fake.strayMenuTaps = 0;
    Fake.loneMenuKeys = 0;
    std::memset(g_held, 0, sizeof g_held);
    std::memset(g_reached, 0, sizeof g_reached);
    std::memset(g_target, 0, sizeof g_target);
    g_altGrCtrl = false;
    Fake.reinject = Reinject;
    SetSendLastComb(0);
    SetLastCombBuffer(g_capture);
    SetLastCombWindow(reinterpret_cast<HWND>(0x1003));

    Input in = {data, size, 0};
    ReadTable(in);
    while (in.More())
        Event(in);
    return 0;
}
