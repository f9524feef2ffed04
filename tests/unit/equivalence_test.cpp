#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hook_support.h"
#include "reference_hook.h"

namespace {
const int Pool[] = {0, 16, 17, 38, 65, 66, 67, 160, 161, 162, 163, 164, 255};
const int PoolSize = sizeof Pool / sizeof Pool[0];

struct Event {
    int vk;
    DWORD flags;
    int code;
    int capture; // -1 leave, 0 off, 1 on before the event
};

std::vector<CombinationRecord> RandomTable(std::mt19937& rng, int size)
{
    std::vector<CombinationRecord> records;
    for (int i = 0; i < size; ++i) {
        CombinationRecord r = Record({}, static_cast<BYTE>(rng() % 8)); // 6, 7: unknown kinds
        int keys = static_cast<int>(rng() % 4);
        for (int k = 0; k < keys; ++k)
            SetKeyDown(r.keys, Pool[rng() % PoolSize]);
        if (r.action == ChangeKey) {
            r.payload[TargetByte] = static_cast<char>(Pool[rng() % PoolSize]);
            r.payload[CtrlByte] = static_cast<char>(rng() % 2);
            r.payload[AltByte] = static_cast<char>(rng() % 3); // any nonzero counts
            r.payload[ShiftByte] = static_cast<char>(rng() % 2);
        } else {
            std::snprintf(r.payload, sizeof r.payload, "p%d", i);
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
        e.vk = Pool[rng() % PoolSize];
        e.flags = (rng() % 2 ? LLKHF_UP : 0) | (rng() % 5 == 0 ? LLKHF_EXTENDED : 0) |
                  (rng() % 8 == 0 ? LLKHF_INJECTED : 0);
        e.code = rng() % 20 == 0 ? 1 : 0;
        e.capture = rng() % 25 == 0 ? static_cast<int>(rng() % 2) : -1;
        events.push_back(e);
    }
    return events;
}

LRESULT (*Current)(int, WPARAM, LPARAM) = nullptr;

void Reinject(const FakeKeyEvent& e)
{
    DWORD flags = LLKHF_INJECTED | ((e.flags & KEYEVENTF_KEYUP) ? LLKHF_UP : 0);
    Feed(Current, e.vk, flags);
}

LRESULT ReferenceProc(int code, WPARAM wParam, LPARAM lParam)
{
    return ReferenceRemapProc(code, wParam, lParam);
}

// Everything observable of one run, event by event.
std::string Trace(LRESULT (*proc)(int, WPARAM, LPARAM), const std::vector<CombinationRecord>& records,
                  const std::vector<Event>& events, bool reentrant)
{
    static CombinationTable referenceTable;
    StartFreshLibrary();
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
    for (const Event& e : events) {
        if (e.capture >= 0) {
            SetSendLastComb(e.capture);
            Reference.sendLastComb = e.capture;
        }
        std::size_t keysBefore = Fake.keyEvents.size();
        std::size_t textsBefore = Fake.windowTexts.size();
        LRESULT result = Feed(proc, e.vk, e.flags, e.code);
        trace += std::to_string(result) + ":" + SynthesizedKeys(keysBefore) + "|" + TakeSideEffects();
        for (std::size_t i = textsBefore; i < Fake.windowTexts.size(); ++i)
            trace += "|W(" + Fake.windowTexts[i].text + ")";
        trace += "\n";
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
                      ours.compare(ours.find('|', at), 3, "|O(") == 0;
        }
    }
    // The comparison means something only if the tables actually hit.
    EXPECT_GT(swallowed, 2000);
    EXPECT_GT(synthesized, 300);
    EXPECT_GT(queued, 20);
    std::printf("events swallowed %d, with keys synthesized %d, queuing %d\n", swallowed,
                synthesized, queued);
}
} // namespace
