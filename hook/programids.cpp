#include "programids.h"

#include <cstdint>
#include <cstring>

#include "platform.h"

namespace {
unsigned SlotOf(const char* folded)
{
    std::uint32_t h = 2166136261u;
    for (const char* p = folded; *p; ++p)
        h = (h ^ static_cast<BYTE>(*p)) * 16777619u;
    return h & (ProgramSlotCount - 1);
}

// The slot that holds `folded`, or the free one where it would go.
unsigned SlotFor(const ProgramIdTable* ids, const char* folded)
{
    unsigned at = SlotOf(folded);
    while (ids->slots[at] != OtherProgram && std::strcmp(ids->names[ids->slots[at] - 1], folded) != 0)
        at = (at + 1) & (ProgramSlotCount - 1);
    return at;
}

short AddName(ProgramIdTable* ids, const char* folded)
{
    unsigned at = SlotFor(ids, folded);
    if (ids->slots[at] == OtherProgram && ids->count < MaxProgramIds) {
        std::memcpy(ids->names[ids->count], folded, ProgramNameSize);
        ids->slots[at] = static_cast<short>(++ids->count);
    }
    return ids->slots[at];
}
} // namespace

void BuildProgramIds(ProgramIdTable* ids, const CombinationTable* table)
{
    ids->count = 0;
    ids->anyWhere = false;
    std::memset(ids->slots, 0, sizeof ids->slots);
    int count = table->count < 0 ? 0 : table->count > MaxCombinations ? MaxCombinations : table->count;
    for (int i = 0; i < count; ++i) {
        CombinationWhere where;
        ReadWhere(&table->records[i], &where);
        RecordWhereIds& record = ids->records[i];
        record.kind = where.kind;
        record.count = static_cast<BYTE>(where.count);
        ids->anyWhere = ids->anyWhere || where.kind != ActsEverywhere;
        for (int n = 0; n < where.count; ++n) {
            char folded[ProgramNameSize] = {};
            OsFoldProgramName(where.names[n], folded, sizeof folded);
            record.ids[n] = AddName(ids, folded);
        }
    }
}

short ProgramIdOf(const ProgramIdTable* ids, const char* folded)
{
    return ids->slots[SlotFor(ids, folded)];
}

bool RecordActsIn(const ProgramIdTable* ids, int index, short id)
{
    const RecordWhereIds& record = ids->records[index];
    if (record.kind == ActsEverywhere)
        return true;
    bool named = false;
    for (int n = 0; n < record.count; ++n)
        named = named || (id != OtherProgram && record.ids[n] == id);
    return record.kind == ActsOnlyIn ? named : !named;
}
