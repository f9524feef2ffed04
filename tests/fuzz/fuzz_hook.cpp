// An arbitrary table and an arbitrary stream of key events through the hook,
// with the texts it queues typed against the fake layer. After every event:
// generic modifiers equal the OR of their sides, an injected event changes no
// state and is never swallowed, code 255 is never sent by the plural forms,
// the typing queue never holds more than 12 texts, and whenever the user holds
// no key, no key is down towards the system, nor the rest of the key law broken
// nor a lone Alt or Win tap sent. Every key sent comes back through the hook;
// the records have wheres and other programs come to the front.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../unit/hook_support.h"

namespace {
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
    std::uint8_t Next() { return at < size ? data[at++] : 0; }
    bool More() const { return at < size; }
};

const char* const Programs[] = {"a.exe", "b.exe", "c.exe", "d.exe"};
BYTE g_capture[256];
KeyLaw g_law;     // over the user's keys: real events with hook code 0
bool g_altGrCtrl; // the left Ctrl that comes with AltGr, a key of its own

// Says the line of the invariant that broke: the stack trace loses it once inlined.
#define Check(ok) ((ok) ? void(0) : (std::fprintf(stderr, "fuzz_hook: line %d\n", __LINE__), std::abort()))

// The table: a record count, then per record an action, its keys and either
// a ChangeKey payload or a short text without a terminator in the input.
// Last its where: a byte, the kind in the low bits, a.exe, b.exe or both above.
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
        r = Where(r, w % 3, Programs[(w >> 2) & 1], (w & 0x10) ? Programs[1 - ((w >> 2) & 1)] : nullptr);
    }
    IndexCombinationTable();
}

void Event(Input& in)
{
    int vk = KeyboardCode(in.Next()); // a keyboard sends the left or right key
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
        std::memset(g_law.reached, 0, sizeof g_law.reached); // the held keys are forgotten
    }
    // Now and then the left Ctrl that comes with AltGr, while the user's own
    // left Ctrl is up; its repeats and its release come with it.
    bool down = (flags & LLKHF_UP) == 0;
    DWORD scan = vk == 0xA2 && (g_altGrCtrl || (down && (control & 0x80) && !g_law.held[0xA2])) ? 0x21D : 0;

    BYTE live[256];
    std::memcpy(live, Hook.live, 256);
    const KeyMask snapshot = Hook.lastCombSnapshot;
    std::size_t before = Fake.keyEvents.size();
    BYTE systemBefore = Fake.systemKeys[vk];

    LRESULT result = Feed(KeyRemapProc, vk, flags, code, 0, scan);
    bool user = code == 0 && !(flags & LLKHF_INJECTED);

    Check(Hook.live[16] == (Hook.live[160] | Hook.live[161]));
    Check(Hook.live[17] == (Hook.live[162] | Hook.live[163]));
    Check(Hook.live[18] == (Hook.live[164] | Hook.live[165]));
    if (!user || scan) {
        Check(result == Passed);
        for (int c = 0; c < 256; ++c) {
            if (c < 16 || c > 18)
                Check(Hook.live[c] == live[c]);
        }
        Check(MaskEqual(Hook.lastCombSnapshot, snapshot));
        Check(Fake.keyEvents.size() == before);
    }
    for (std::size_t i = before; i < Fake.keyEvents.size(); ++i)
        Check(Fake.keyEvents[i].vk != 255);
    Check(WaitingTexts() <= 12);

    // Events with another hook code are no user's: the hook must not look.
    if (code != 0)
        Fake.systemKeys[vk] = systemBefore;
    else if (user && scan)
        g_altGrCtrl = down;

    // Now and then the typer's turn: type what waits.
    if (in.Next() % 4 == 0)
        TakeSideEffects(true);

    LawAfter(&g_law, before, user && !scan ? vk : -1, down, result, g_altGrCtrl);
    Check(g_law.leftDown == 0);
    Check(g_law.heldUp == 0);
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
    Fake.strayMenuTaps = Fake.loneMenuKeys = 0;
    FakeForeground(""); // every input alike: no program in front, Caps Lock off
    Hook.capsLockOn = Hook.capsLockDown = false;
    Fake.reinject = [](const FakeKeyEvent& e) { ReinjectInto(KeyRemapProc, e); };
    g_law = KeyLaw();
    g_altGrCtrl = false;
    SetSendLastComb(0);
    SetLastCombBuffer(g_capture);
    SetLastCombWindow(reinterpret_cast<HWND>(0x1003));

    Input in = {data, size, 0};
    ReadTable(in);
    while (in.More())
        Event(in);
    return 0;
}
