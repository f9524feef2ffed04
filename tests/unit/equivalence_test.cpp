#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "hook_support.h"
#include "reference_hook.h"

namespace {
const int Pool[] = {0, 16, 17, 38, 65, 66, 67, 160, 161, 162, 163, 164, 255};
const int PoolSize = sizeof Pool / sizeof Pool[0];

// Side, generic and ordinary keys, for the sequences a user can type.
const int UserPool[] = {16, 17, 18, 160, 161, 162, 163, 164, 165, 20, 38, 65, 66, 67, 120, 91};
const int UserPoolSize = sizeof UserPool / sizeof UserPool[0];

enum { KeyEvent, ResetKeys, Reload, Front }; // Front: Programs[vk] comes to the front
const char* const Programs[] = {"a.exe", "b.exe", "c.exe"};

struct Event {
    int vk;
    DWORD flags;
    int code;
    int capture; // -1 leave, 0 off, 1 on before the event
    int op = KeyEvent;
};

std::vector<CombinationRecord> RandomTable(std::mt19937& rng, int size, const int* pool = Pool,
                                           int poolSize = PoolSize)
{
    std::vector<CombinationRecord> records;
    for (int i = 0; i < size; ++i) {
        CombinationRecord r = Record({}, static_cast<BYTE>(rng() % 8)); // 6, 7: unknown kinds
        int keys = static_cast<int>(rng() % 4);
        for (int k = 0; k < keys; ++k)
            SetKeyDown(r.keys, pool[rng() % poolSize]);
        if (r.action == ChangeKey) {
            r.payload[TargetByte] = static_cast<char>(pool[rng() % poolSize]);
            r.payload[CtrlByte] = static_cast<char>(rng() % 2);
            r.payload[AltByte] = static_cast<char>(rng() % 3); // any nonzero counts
            r.payload[ShiftByte] = static_cast<char>(rng() % 2);
        } else if (r.action == GoToUrl && i % 2 == 0) {
            std::snprintf(r.payload, sizeof r.payload, "http://p%d", i);
        } else {
            std::snprintf(r.payload, sizeof r.payload, "p%d", i);
        }
        records.push_back(r);
    }
    return records;
}

// A keyboard sends the left or right key, never the generic Shift, Ctrl or Alt.
int KeyboardCode(int vk) { return vk >= 16 && vk <= 18 ? vk + 144 : vk; }

std::vector<Event> RandomEvents(std::mt19937& rng, int count)
{
    std::vector<Event> events;
    for (int i = 0; i < count; ++i) {
        Event e;
        e.vk = KeyboardCode(Pool[rng() % PoolSize]);
        e.flags = (rng() % 2 ? LLKHF_UP : 0) | (rng() % 5 == 0 ? LLKHF_EXTENDED : 0) |
                  (rng() % 8 == 0 ? LLKHF_INJECTED : 0);
        e.code = rng() % 20 == 0 ? 1 : 0;
        e.capture = rng() % 25 == 0 ? static_cast<int>(rng() % 2) : -1;
        events.push_back(e);
    }
    return events;
}

// What a user can do: press keys (again while held: auto-repeat) and let them
// go in any order; now and then capture mode, ResetKeysState or a reload.
// Everything held is let go at the end.
std::vector<Event> UserEvents(std::mt19937& rng, int count)
{
    std::vector<Event> events;
    std::vector<int> held;
    for (int i = 0; i < count || !held.empty(); ++i) {
        int roll = i < count ? static_cast<int>(rng() % 40) : 40; // 40: let go
        Event e = {KeyboardCode(UserPool[rng() % UserPoolSize]), rng() % 5 ? 0u : LLKHF_EXTENDED, 0,
                   roll == 2 ? static_cast<int>(rng() % 2) : -1, roll < 2 ? roll + 1 : KeyEvent};
        if (roll >= 2 && roll % 2 == 0 && !held.empty()) {
            std::size_t at = rng() % held.size();
            e.vk = held[at];
            e.flags |= LLKHF_UP;
            held.erase(held.begin() + static_cast<long>(at));
        } else if (roll >= 2 && std::find(held.begin(), held.end(), e.vk) == held.end()) {
            held.push_back(e.vk);
        }
        events.push_back(e);
    }
    return events;
}

LRESULT (*Current)(int, WPARAM, LPARAM) = nullptr;

void Reinject(const FakeKeyEvent& e) { ReinjectInto(Current, e); }

LRESULT ReferenceProc(int code, WPARAM wParam, LPARAM lParam)
{
    return ReferenceRemapProc(code, wParam, lParam);
}

std::string g_mappingDir; // where a reload reads its tables from

void WriteMappingFile(const std::vector<CombinationRecord>& records)
{
    std::FILE* f = std::fopen((g_mappingDir + "/mapping.mp").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    for (const CombinationRecord& r : records)
        ASSERT_EQ(1u, std::fwrite(&r, sizeof r, 1, f));
    std::fclose(f);
}

// What the key law sees of a run of the library's hook: moments when no key
// is held but the system still has one down; moments when a modifier the
// user holds, whose press reached the system, is up towards it while no
// target is held; lone Alt or Win taps towards the system the user did not
// make alone. With `typeTexts` the typer types every queued text after each
// event.
struct LawCounts {
    bool typeTexts = false;
    int leftDown = 0;
    int heldUp = 0;
    int strayMenuTaps = 0;
};

// The queued texts, typed, and the launches, as TakeSideEffects gives them.
std::string TypeSideEffects()
{
    std::string out;
    BYTE held[256];
    bool capsLock = false;
    while (char* text = TakeNextText(held, &capsLock)) {
        out += std::string(out.empty() ? "" : " ") + "T(" + text + ")";
        TypeString(text, held, capsLock);
        OsFree(text);
    }
    std::string launches = TakeSideEffects();
    return out + (out.empty() || launches.empty() ? "" : " ") + launches;
}

// Everything observable of one run, event by event, of the keys sent only
// those of the rules. `reloads` are the tables that Reload events read in
// turn.
std::string Trace(LRESULT (*proc)(int, WPARAM, LPARAM), const std::vector<CombinationRecord>& records,
                  const std::vector<Event>& events, bool reentrant,
                  const std::vector<std::vector<CombinationRecord>>& reloads = {},
                  LawCounts* law = nullptr, const char* front = nullptr)
{
    static CombinationTable referenceTable;
    StartFreshLibrary();
    if (front)
        FakeForeground(front);
    Fake.executablePath = g_mappingDir + "/Quillon.exe";
    UseTable(records);
    referenceTable = Hook.table; // folded, as the library holds it
    ResetReferenceHook(&referenceTable);
    Current = proc;
    if (reentrant)
        Fake.reinject = Reinject;

    static BYTE buffer[256];
    HWND field = reinterpret_cast<HWND>(0x1003);
    SetLastCombBuffer(buffer);
    SetLastCombWindow(field);
    Reference.lastCombBuffer = buffer;
    Reference.lastCombWindow = field;

    std::string trace;
    std::size_t reloaded = 0;
    bool held[256] = {}, reached[256] = {}, target[256] = {};
    for (const Event& e : events) {
        if (e.capture >= 0) {
            SetSendLastComb(e.capture);
            Reference.sendLastComb = e.capture;
        }
        std::size_t keysBefore = Fake.keyEvents.size();
        std::size_t textsBefore = Fake.windowTexts.size();
        LRESULT result = 0;
        if (e.op == ResetKeys) {
            if (proc == KeyRemapProc)
                ResetKeysState();
            else
                ReferenceResetKeysState();
            std::memset(reached, 0, sizeof reached); // the held keys are forgotten
        } else if (e.op == Front) {
            FakeForeground(Programs[e.vk]);
        } else if (e.op == Reload) {
            WriteMappingFile(reloads[reloaded++ % reloads.size()]);
            ForceReloadKeysFromDisk();
            referenceTable = Hook.table;
            if (proc != KeyRemapProc)
                ReferenceReplaceTable(&referenceTable);
        } else {
            result = Feed(proc, e.vk, e.flags, e.code);
            if (!(e.flags & LLKHF_INJECTED) && e.code == 0) {
                bool down = !(e.flags & LLKHF_UP);
                held[e.vk] = down;
                if (!down)
                    reached[e.vk] = false;
                else if (result != 1)
                    reached[e.vk] = true;
            }
        }
        // The keys that rules pressed and did not release: targets held.
        for (std::size_t i = keysBefore; i < Fake.keyEvents.size(); ++i) {
            const FakeKeyEvent& k = Fake.keyEvents[i];
            if (SentReason(k.extra) == SentForRule)
                target[KeyboardCode(k.vk)] = !(k.flags & KEYEVENTF_KEYUP);
        }
        trace += std::to_string(result) + ":" + SynthesizedKeys(keysBefore, true) + "|" +
                 (law && law->typeTexts ? TypeSideEffects() : TakeSideEffects());
        for (std::size_t i = textsBefore; i < Fake.windowTexts.size(); ++i)
            trace += "|W(" + Fake.windowTexts[i].text + ")";
        trace += "\n";
        if (!law)
            continue;
        bool holding = false, down = false, sending = false;
        for (int c = 0; c < 256; ++c) {
            holding = holding || held[c];
            down = down || Fake.systemKeys[c];
            sending = sending || target[c];
        }
        if (!holding && down)
            ++law->leftDown;
        for (int m : {160, 161, 162, 163, 164, 165, 91, 92})
            if (held[m] && reached[m] && !sending && !Fake.systemKeys[m])
                ++law->heldUp;
    }
    if (law)
        law->strayMenuTaps += Fake.strayMenuTaps;
    Fake.reinject = nullptr;
    return trace;
}

TEST(IndexedHookMatchesTheLiteralReading, OnRandomTablesAndEvents)
{
    std::mt19937 rng(20261208);
    int swallowed = 0, synthesized = 0, queued = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::vector<CombinationRecord> records = RandomTable(rng, 1 + static_cast<int>(rng() % 40));
        std::vector<Event> events = RandomEvents(rng, 60);
        bool reentrant = round % 2 == 1;
        std::string ours = Trace(KeyRemapProc, records, events, reentrant);
        std::string reference = Trace(ReferenceProc, records, events, reentrant);
        ASSERT_EQ(reference, ours);
        for (std::size_t at = 0; at < ours.size(); at = ours.find('\n', at) + 1) {
            swallowed += ours.compare(at, 2, "1:") == 0;
            synthesized += ours[ours.find(':', at) + 1] == '+' || ours[ours.find(':', at) + 1] == '-';
            std::size_t effects = ours.find('|', at);
            queued += ours.compare(effects, 3, "|T(") == 0 || ours.compare(effects, 3, "|O(") == 0 ||
                      ours.compare(effects, 5, "|beep") == 0; // an address that is no web page
        }
    }
    // The comparison means something only if the tables actually hit.
    EXPECT_GT(swallowed, 2000);
    EXPECT_GT(synthesized, 300);
    EXPECT_GT(queued, 20);
    std::printf("events swallowed %d, with keys synthesized %d, queuing %d\n", swallowed,
                synthesized, queued);
}

// The law, both halves: once the user holds no key, nothing the hook passed
// on or sent is still down towards the system; a modifier the user holds
// whose press reached the system is down towards it except while a target is
// held; and no Alt or Win goes down and up alone towards the system unless
// the user did just that. In any order of presses and releases, auto-repeat,
// capture mode, ResetKeysState, reloads and typed texts.
TEST(IndexedHookMatchesTheLiteralReading, NoKeyIsLeftDownOnceNoneIsHeld)
{
    char dir[] = "/tmp/quillon-law-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    g_mappingDir = dir;
    std::mt19937 rng(20261209);
    const int sequences = 500;
    int events = 0, synthesized = 0, masks = 0, heldAgain = 0;
    LawCounts law;
    law.typeTexts = true;
    for (int round = 0; round < sequences; ++round) {
        SCOPED_TRACE(round);
        std::vector<CombinationRecord> records =
            RandomTable(rng, 1 + static_cast<int>(rng() % 24), UserPool, UserPoolSize);
        std::vector<std::vector<CombinationRecord>> reloads;
        for (int i = 0; i < 3; ++i)
            reloads.push_back(RandomTable(rng, static_cast<int>(rng() % 24), UserPool, UserPoolSize));
        std::vector<Event> sequence = UserEvents(rng, 60);
        events += static_cast<int>(sequence.size());
        LawCounts referenceLaw;
        std::string reference = Trace(ReferenceProc, records, sequence, true, reloads, &referenceLaw);
        ASSERT_EQ(0, referenceLaw.leftDown) << "a key left down towards the system by the literal reading";
        std::string ours = Trace(KeyRemapProc, records, sequence, true, reloads, &law);
        ASSERT_EQ(reference, ours);
        ASSERT_EQ(0, law.leftDown) << "a key left down towards the system";
        ASSERT_EQ(0, law.heldUp) << "a held modifier up towards the system";
        ASSERT_EQ(0, law.strayMenuTaps) << "Alt or Win alone towards the system";
        synthesized += static_cast<int>(Fake.keyEvents.size());
        for (const FakeKeyEvent& e : Fake.keyEvents) {
            masks += SentReason(e.extra) == SentAsMask;
            heldAgain += SentReason(e.extra) == SentHeldAgain;
        }
    }
    std::remove((g_mappingDir + "/mapping.mp").c_str());
    rmdir(dir);
    EXPECT_GT(synthesized, 3000) << "the tables must act for the law to mean something";
    EXPECT_GT(masks, 100);
    EXPECT_GT(heldAgain, 100);
    std::printf("%d sequences, %d events, %d keys sent by the library (%d masks, %d modifiers pressed "
                "again)\n",
                sequences, events, synthesized, masks, heldAgain);
}

// Random wheres over a.exe and b.exe: only in, everywhere except, or none.
std::vector<CombinationRecord> WithWheres(std::mt19937& rng, std::vector<CombinationRecord> records)
{
    for (CombinationRecord& r : records) {
        CombinationWhere where;
        ClearWhere(&where);
        where.kind = static_cast<BYTE>(rng() % 3);
        for (int n = where.kind ? 1 + static_cast<int>(rng() % 2) : 0; n > 0; --n)
            AddWhereName(&where, Programs[rng() % 2]);
        EXPECT_TRUE(WriteWhere(&r, &where));
    }
    return records;
}
std::vector<CombinationRecord> HoldingIn(const std::vector<CombinationRecord>& records, const char* program)
{
    std::vector<CombinationRecord> holding;
    for (const CombinationRecord& r : records) {
        CombinationWhere where;
        ReadWhere(&r, &where);
        if (WhereHolds(&where, program))
            holding.push_back(r);
    }
    return holding;
}

TEST(IndexedHookMatchesTheLiteralReading, WithWheresAsIfTheRecordsThatDoNotHoldWereNotThere)
{
    char dir[] = "/tmp/quillon-where-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    g_mappingDir = dir;
    std::mt19937 rng(20261210);
    LawCounts law;
    law.typeTexts = true;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<CombinationRecord> records =
            WithWheres(rng, RandomTable(rng, 1 + static_cast<int>(rng() % 24), UserPool, UserPoolSize));
        std::vector<std::vector<CombinationRecord>> reloads, reloadsHolding;
        const char* front = Programs[rng() % 3];
        for (int i = 0; i < 3; ++i) {
            reloads.push_back(WithWheres(rng, RandomTable(rng, static_cast<int>(rng() % 24), UserPool, UserPoolSize)));
            reloadsHolding.push_back(HoldingIn(reloads.back(), front));
        }
        std::vector<Event> sequence = UserEvents(rng, 60);
        ASSERT_EQ(Trace(ReferenceProc, HoldingIn(records, front), sequence, true, reloadsHolding),
                  Trace(KeyRemapProc, records, sequence, true, reloads, nullptr, front));
        // Other programs coming to the front between any two events: the law holds.
        std::vector<Event> moving;
        for (const Event& e : sequence) {
            if (rng() % 6 == 0)
                moving.push_back({static_cast<int>(rng() % 3), 0, 0, -1, Front});
            moving.push_back(e);
        }
        Trace(KeyRemapProc, records, moving, true, reloads, &law, front);
        ASSERT_EQ(0, law.leftDown) << "a key left down towards the system";
        ASSERT_EQ(0, law.heldUp) << "a held modifier up towards the system";
        ASSERT_EQ(0, law.strayMenuTaps) << "Alt or Win alone towards the system";
    }
    std::remove((g_mappingDir + "/mapping.mp").c_str());
    rmdir(dir);
}
} // namespace
