// Cost of one key event in the hook: the library's indexed procedure against
// the literal reading (fold and compare 256 bytes per record, two passes).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "fake_platform.h"
#include "hookproc.h"
#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "library.h"
#include "quillhook.h"
#include "reference_hook.h"
#include "typer.h"
#include "typingqueue.h"

namespace {
const int LastRecordKey = 81; // Q, with left Ctrl: only the last record holds it
const int NoRecordKey = 90;   // Z: in no record

CombinationTable referenceTable;

// `size` records of every kind over other keys; the last is left Ctrl+Q.
void BuildTable(int size)
{
    std::mt19937 rng(7);
    const int keys[] = {65, 66, 67, 68, 112, 113, 114, 115, 160, 164, 38, 40};
    Hook.table.count = size;
    for (int i = 0; i < size; ++i) {
        CombinationRecord& r = Hook.table.records[i];
        std::memset(&r, 0, sizeof r);
        r.action = static_cast<BYTE>(i % 6);
        int n = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < n; ++k)
            SetKeyDown(r.keys, keys[rng() % (sizeof keys / sizeof keys[0])]);
        if (r.action == ChangeKey)
            r.payload[TargetByte] = 66;
        else if (r.action != BlockKey && r.action != DisableCombination)
            std::memcpy(r.payload, "text", 5);
    }
    if (size > 0) {
        CombinationRecord& last = Hook.table.records[size - 1];
        std::memset(&last, 0, sizeof last);
        SetKeyDown(last.keys, 162);
        SetKeyDown(last.keys, LastRecordKey);
        last.action = DisableCombination;
    }
    IndexCombinationTable();
    referenceTable = Hook.table;
    ResetReferenceHook(&referenceTable);
}

void Prepare(int size, LRESULT (*proc)(int, WPARAM, LPARAM))
{
    FakeReset();
    Fake.recordKeys = false;
    ClearHookState();
    InitKeyNames();
    BuildTable(size);
    // Left Ctrl held throughout, as for the matching combination.
    KBDLLHOOKSTRUCT ctrl = {162, 0, 0, 0, 0};
    proc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&ctrl));
}

void RunEvents(benchmark::State& state, LRESULT (*proc)(int, WPARAM, LPARAM), int vk)
{
    Prepare(static_cast<int>(state.range(0)), proc);
    KBDLLHOOKSTRUCT down = {static_cast<DWORD>(vk), 0, 0, 0, 0};
    KBDLLHOOKSTRUCT up = {static_cast<DWORD>(vk), 0, LLKHF_UP, 0, 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(proc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&down)));
        benchmark::DoNotOptimize(proc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&up)));
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["per_event"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 2,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

LRESULT Reference(int code, WPARAM wParam, LPARAM lParam)
{
    return ReferenceRemapProc(code, wParam, lParam);
}

void Indexed_NoMatch(benchmark::State& s) { RunEvents(s, KeyRemapProc, NoRecordKey); }
void Indexed_LastRecord(benchmark::State& s) { RunEvents(s, KeyRemapProc, LastRecordKey); }
void Baseline_NoMatch(benchmark::State& s) { RunEvents(s, Reference, NoRecordKey); }
void Baseline_LastRecord(benchmark::State& s) { RunEvents(s, Reference, LastRecordKey); }
} // namespace

BENCHMARK(Indexed_NoMatch)->Arg(0)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Baseline_NoMatch)->Arg(0)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Indexed_LastRecord)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Baseline_LastRecord)->Arg(10)->Arg(100)->Arg(300);

BENCHMARK_MAIN();
