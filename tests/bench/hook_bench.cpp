// Cost of one key event in the hook: the library's indexed procedure against
// the literal reading (fold and compare 256 bytes per record, two passes);
// with every record acting only in some programs, the event and another
// program coming to the front.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "fake_platform.h"
#include "foreground.h"
#include "hookproc.h"
#include "keynames.h"
#include "keystate.h"
#include "launcher.h"
#include "library.h"
#include "programwhere.h"
#include "quillhook.h"
#include "reference_hook.h"
#include "typer.h"
#include "typingqueue.h"

namespace {
const int LastRecordKey = 81; // Q, with left Ctrl: only the last record holds it
const int NoRecordKey = 90;   // Z: in no record

CombinationTable referenceTable;

// Each record only in one of eight programs; the last only in front.exe.
void GiveWheres(int size)
{
    for (int i = 0; i < size; ++i) {
        CombinationWhere where;
        ClearWhere(&where);
        where.kind = ActsOnlyIn;
        char name[16];
        std::snprintf(name, sizeof name, "p%d.exe", i % 8);
        AddWhereName(&where, i == size - 1 ? "front.exe" : name);
        WriteWhere(&Hook.table.records[i], &where);
    }
}

void TakeProgram(const char* program)
{
    Fake.foregroundProgram = program;
    TakeForegroundProgram();
}

// `size` records of every kind over other keys; the last is left Ctrl+Q.
void BuildTable(int size, bool wheres)
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
    if (wheres)
        GiveWheres(size);
    IndexCombinationTable();
    TakeProgram("front.exe");
    referenceTable = Hook.table;
    ResetReferenceHook(&referenceTable);
}

void Prepare(int size, LRESULT (*proc)(int, WPARAM, LPARAM), bool wheres = false)
{
    FakeReset();
    Fake.recordKeys = false;
    ClearHookState();
    InitKeyNames();
    BuildTable(size, wheres);
    // Left Ctrl held throughout, as for the matching combination.
    KBDLLHOOKSTRUCT ctrl = {162, 0, 0, 0, 0};
    proc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&ctrl));
    Fake.followSystem = false;
}

void RunEvents(benchmark::State& state, LRESULT (*proc)(int, WPARAM, LPARAM), int vk, bool wheres = false)
{
    Prepare(static_cast<int>(state.range(0)), proc, wheres);
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
void Where_LastRecord(benchmark::State& s) { RunEvents(s, KeyRemapProc, LastRecordKey, true); }

// Five programs in turn, one more than the views kept: each change builds one.
void Where_ForegroundChange(benchmark::State& state)
{
    Prepare(static_cast<int>(state.range(0)), KeyRemapProc, true);
    const char* programs[] = {"p1.exe", "p2.exe", "p3.exe", "p4.exe", "front.exe"};
    int next = 0;
    for (auto _ : state) {
        TakeProgram(programs[next]);
        next = (next + 1) % 5;
    }
}
} // namespace

BENCHMARK(Indexed_NoMatch)->Arg(0)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Baseline_NoMatch)->Arg(0)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Indexed_LastRecord)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Baseline_LastRecord)->Arg(10)->Arg(100)->Arg(300);
BENCHMARK(Where_LastRecord)->Arg(300);
BENCHMARK(Where_ForegroundChange)->Arg(300);

BENCHMARK_MAIN();
