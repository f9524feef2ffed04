#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "hook_support.h"
#include "mapping_fixture.h"
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
                                           int poolSize = PoolSize, bool wheres = false)
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
        if (wheres) { // over a.exe and b.exe: only in, everywhere except, or none
            unsigned w = static_cast<unsigned>(rng());
            r = Where(r, static_cast<BYTE>(w % 3), Programs[w / 3 % 2], w / 6 % 2 ? Programs[w / 12 % 2] : nullptr);
        }
        records.push_back(r);
    }
    return records;
}

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
std::vector<Event> UserEvents(std::mt19937& rng, int count, bool fronts = false)
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
        if (fronts && rng() % 6 == 0) // another program comes to the front first
            events.push_back({static_cast<int>(rng() % 3), 0, 0, -1, Front});
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

std::vector<CombinationRecord> HoldingIn(const std::vector<CombinationRecord>& records, const char* program)
{
    std::vector<CombinationRecord> holding;
    CombinationWhere where;
    for (const CombinationRecord& r : records) {
        ReadWhere(&r, &where);
        if (WhereHolds(&where, program))
            holding.push_back(r);
    }
    return holding;
}

// Everything observable of one run, event by event. `reloads` are the tables
// that Reload events read in turn; of the keys sent, those of the rules. With
// `law` the typer types each text; the literal reading takes what holds in `front`.
std::string Trace(LRESULT (*proc)(int, WPARAM, LPARAM), const std::vector<CombinationRecord>& records,
                  const std::vector<Event>& events, bool reentrant,
                  const std::vector<std::vector<CombinationRecord>>& reloads = {},
                  KeyLaw* law = nullptr, const char* front = nullptr)
{
    static CombinationTable referenceTable;
    StartFreshLibrary();
    if (front)
        FakeForeground(front);
    Fake.executablePath = g_mappingDir + "/Quillon.exe";
    UseTable(front && proc != KeyRemapProc ? HoldingIn(records, front) : records);
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
            if (law) // the held keys are forgotten
                std::memset(law->reached, 0, sizeof law->reached);
        } else if (e.op == Front) {
            FakeForeground(Programs[e.vk]);
        } else if (e.op == Reload) {
            const std::vector<CombinationRecord>& table = reloads[reloaded++ % reloads.size()];
            WriteMappingFile(front && proc != KeyRemapProc ? HoldingIn(table, front) : table);
            ForceReloadKeysFromDisk();
            referenceTable = Hook.table;
            if (proc != KeyRemapProc)
                ReferenceReplaceTable(&referenceTable);
        } else {
            result = Feed(proc, e.vk, e.flags, e.code);
        }
        trace += std::to_string(result) + ":" + SynthesizedKeys(keysBefore, true) + "|" +
                 TakeSideEffects(law != nullptr);
        for (std::size_t i = textsBefore; i < Fake.windowTexts.size(); ++i)
            trace += "|W(" + Fake.windowTexts[i].text + ")";
        trace += "\n";
        bool user = e.op == KeyEvent && !(e.flags & LLKHF_INJECTED) && e.code == 0;
        if (law)
            LawAfter(law, keysBefore, user ? e.vk : -1, !(e.flags & LLKHF_UP), result);
    }
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
            queued += ours.compare(ours.find('|', at), 3, "|T(") == 0 ||
                      ours.compare(ours.find('|', at), 3, "|O(") == 0 ||
                      ours.compare(ours.find('|', at), 5, "|beep") == 0; // an address that is no web page
        }
    }
    // The comparison means something only if the tables actually hit.
    EXPECT_GT(swallowed, 2000);
    EXPECT_GT(synthesized, 300);
    EXPECT_GT(queued, 20);
    std::printf("events swallowed %d, with keys synthesized %d, queuing %d\n", swallowed,
                synthesized, queued);
}

// The law: once the user holds no key, nothing the hook passed on or
// synthesized is still down towards the system, in any order of presses and
// releases, auto-repeat, capture mode, ResetKeysState, reloads and typed texts
// included; and the rest of the key law (KeyLaw), with no lone Alt or Win tap.
TEST(IndexedHookMatchesTheLiteralReading, NoKeyIsLeftDownOnceNoneIsHeld)
{
    char dir[] = "/tmp/quillon-law-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    g_mappingDir = dir;
    std::mt19937 rng(20261209);
    const int sequences = 500;
    int events = 0, synthesized = 0, sent[256] = {}; // `sent`: the library's keys, by why
    for (int round = 0; round < sequences; ++round) {
        SCOPED_TRACE(round);
        std::vector<CombinationRecord> records =
            RandomTable(rng, 1 + static_cast<int>(rng() % 24), UserPool, UserPoolSize);
        std::vector<std::vector<CombinationRecord>> reloads;
        for (int i = 0; i < 3; ++i)
            reloads.push_back(RandomTable(rng, static_cast<int>(rng() % 24), UserPool, UserPoolSize));
        std::vector<Event> sequence = UserEvents(rng, 60);
        events += static_cast<int>(sequence.size());
        KeyLaw law, referenceLaw;
        std::string ours = Trace(KeyRemapProc, records, sequence, true, reloads, &law);
        ASSERT_EQ(0, law.heldUp) << "a held modifier up towards the system";
        ASSERT_EQ(0, Fake.strayMenuTaps) << "Alt or Win alone towards the system";
        for (const FakeKeyEvent& e : Fake.keyEvents)
            ++sent[SentReason(e.extra)];
        std::string reference = Trace(ReferenceProc, records, sequence, true, reloads, &referenceLaw);
        ASSERT_EQ(reference, ours);
        ASSERT_EQ(0, law.leftDown + referenceLaw.leftDown) << "a key left down towards the system";
        synthesized += static_cast<int>(Fake.keyEvents.size());
    }
    std::remove((g_mappingDir + "/mapping.mp").c_str());
    rmdir(dir);
    EXPECT_GT(synthesized, 3000) << "the tables must act for the law to mean something";
    EXPECT_GT(sent[SentAsMask], 100);
    EXPECT_GT(sent[SentHeldAgain], 100);
    std::printf("%d sequences, %d events, %d keys synthesized by the literal reading\n", sequences,
                events, synthesized);
}

class HookWithWheres : public MappingDirectory {};

TEST_F(HookWithWheres, TheHookActsAsIfTheRecordsThatDoNotHoldWereNotThere)
{
    g_mappingDir = dir;
    std::mt19937 rng(20261210);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<CombinationRecord> records =
            RandomTable(rng, 1 + static_cast<int>(rng() % 24), UserPool, UserPoolSize, true);
        std::vector<std::vector<CombinationRecord>> reloads;
        for (int i = 0; i < 3; ++i)
            reloads.push_back(RandomTable(rng, static_cast<int>(rng() % 24), UserPool, UserPoolSize, true));
        const char* front = Programs[rng() % 3];
        std::vector<Event> sequence = UserEvents(rng, 60);
        ASSERT_EQ(Trace(ReferenceProc, records, sequence, true, reloads, nullptr, front),
                  Trace(KeyRemapProc, records, sequence, true, reloads, nullptr, front));
        // Other programs coming to the front between events: the law holds.
        KeyLaw law;
        Trace(KeyRemapProc, records, UserEvents(rng, 60, true), true, reloads, &law, front);
        ASSERT_EQ(0, law.leftDown) << "a key left down towards the system";
        ASSERT_EQ(0, law.heldUp) << "a held modifier up towards the system";
        ASSERT_EQ(0, Fake.strayMenuTaps) << "Alt or Win alone towards the system";
    }
}
} // namespace
