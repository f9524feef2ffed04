#include "programview.h"

#include <cstring>

#include "hookproc.h"
#include "keystate.h"

ProgramViews Views;

namespace {
const short NoProgram = -1;

void Build(int view, short program)
{
    bool* acts = Views.acts;
    int count = Hook.table.count < 0 ? 0 : Hook.table.count > MaxCombinations ? MaxCombinations : Hook.table.count;
    for (int i = 0; i < count; ++i)
        acts[i] = RecordActsIn(&Views.ids, i, program);
    BuildMatchIndex(&Views.index[view], &Hook.table, acts);
    Views.program[view] = program;
}

bool Held(int view)
{
    for (int code = 0; code < KeyCount; ++code)
        if (MaskHas(Hook.liveMask, code) && Views.keyView[code] == view)
            return true;
    return false;
}
} // namespace

void TakeWantedView()
{
    short wanted = Views.wanted;
    if (Views.program[Views.current] == wanted)
        return;
    if (!Views.ids.anyWhere) {
        Views.program[Views.current] = wanted; // every program sees the same table
        return;
    }
    for (int view = 0; view < ViewCount; ++view) {
        if (Views.program[view] == wanted) {
            Views.current = view;
            return;
        }
    }
    for (int view = 0; view < ViewCount; ++view) {
        int candidate = (Views.current + view) % ViewCount;
        if (!Held(candidate)) {
            Build(candidate, wanted);
            Views.current = candidate;
            return;
        }
    }
}

void BuildViews(CombinationTable* table, const char* foregroundProgram)
{
    BuildProgramIds(&Views.ids, table);
    for (int view = 0; view < ViewCount; ++view)
        Views.program[view] = NoProgram;
    Views.current = 0;
    std::memset(Views.keyView, 0, sizeof Views.keyView);
    Views.wanted = ProgramIdOf(&Views.ids, foregroundProgram);
    // Without wheres the hook uses its one index and no view is kept.
    if (Views.ids.anyWhere)
        Build(0, Views.wanted);
    else
        Views.program[0] = Views.wanted;
}

void SetViewProgram(const char* folded)
{
    Views.wanted = ProgramIdOf(&Views.ids, folded);
    TakeWantedView();
}
