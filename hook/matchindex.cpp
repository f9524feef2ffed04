#include "matchindex.h"

#include <cstring>

#include "keystate.h"

KeyMask MaskOfKeys(const BYTE* keys)
{
    // Eight entries at a time: each entry's KeyDown bit gathered into a byte.
    KeyMask mask = {{0, 0, 0, 0}};
    for (int code = 0; code < KeyCount; code += 8) {
        std::uint64_t word;
        std::memcpy(&word, keys + code, sizeof word);
        std::uint64_t bits = ((word & 0x8080808080808080ull) * 0x0002040810204081ull) >> 56;
        mask.words[code >> 6] |= bits << (code & 63);
    }
    return mask;
}

void KeysOfMask(const KeyMask& mask, BYTE* keys)
{
    for (int code = 0; code < KeyCount; ++code)
        keys[code] = MaskHas(mask, code) ? KeyDown : 0;
}

namespace {
// Each word times its own odd constant: the top bits of the products'
// exclusive or depend on every key.
unsigned SlotOf(const KeyMask& keys)
{
    std::uint64_t h = keys.words[0] * 0x9E3779B97F4A7C15ull;
    h ^= keys.words[1] * 0xC2B2AE3D27D4EB4Full;
    h ^= keys.words[2] * 0x165667B19E3779F9ull;
    h ^= keys.words[3] * 0x94D049BB133111EBull;
    return static_cast<unsigned>(h >> (64 - MatchSlotBits));
}

MatchSlot* SlotFor(MatchIndex* index, const KeyMask& keys)
{
    unsigned at = SlotOf(keys);
    for (;;) {
        MatchSlot& slot = index->slots[at];
        if (!slot.used) {
            slot.used = true;
            slot.keys = keys;
            slot.firstChangeKey = NoRecord;
            slot.firstAny = NoRecord;
            return &slot;
        }
        if (MaskEqual(slot.keys, keys))
            return &slot;
        at = (at + 1) & (MatchSlotCount - 1);
    }
}
} // namespace

void BuildMatchIndex(MatchIndex* index, CombinationTable* table, const bool* acts)
{
    for (int code = 0; code < KeyCount; ++code) {
        index->firstBlock[code] = NoRecord;
        index->firstSingleChange[code] = NoRecord;
    }
    std::memset(index->slots, 0, sizeof index->slots);
    std::memset(&index->inSome, 0, sizeof index->inSome);
    std::memset(&index->inSomeChange, 0, sizeof index->inSomeChange);

    int count = table->count;
    if (count < 0)
        count = 0;
    if (count > MaxCombinations)
        count = MaxCombinations;
    // Highest index first, so that the lowest index is written last and wins.
    for (int i = count - 1; i >= 0; --i) {
        CombinationRecord& record = table->records[i];
        FoldModifiers(record.keys);
        if (acts && !acts[i])
            continue;
        short at = static_cast<short>(i);
        const KeyMask keys = MaskOfKeys(record.keys); // folded: each entry 0 or KeyDown
        MatchSlot* slot = SlotFor(index, keys);
        slot->firstAny = at;
        MaskAdd(index->inSome, keys);
        if (record.action == ChangeKey) {
            slot->firstChangeKey = at;
            MaskAdd(index->inSomeChange, keys);
        }
        if (record.action != BlockKey && record.action != ChangeKey)
            continue;
        // A single key leaves the generic Shift, Ctrl and Alt aside.
        const std::uint64_t lowWord = keys.words[0] & ~(std::uint64_t(7) << 0x10);
        int others = 0;
        for (int w = 0; w < 4 && others < 2; ++w)
            for (std::uint64_t bits = w ? keys.words[w] : lowWord; bits && others < 2; bits &= bits - 1)
                ++others;
        if (record.action == ChangeKey && others != 1)
            continue;
        short* first = record.action == BlockKey ? index->firstBlock : index->firstSingleChange;
        for (int w = 0; w < 4; ++w)
            for (std::uint64_t bits = keys.words[w]; bits; bits &= bits - 1)
                first[w * 64 + LowestBit(bits)] = at;
    }
}

const MatchSlot* FindExact(const MatchIndex* index, const KeyMask& keys)
{
    unsigned at = SlotOf(keys);
    for (;;) {
        const MatchSlot& slot = index->slots[at];
        if (!slot.used)
            return nullptr;
        if (MaskEqual(slot.keys, keys))
            return &slot;
        at = (at + 1) & (MatchSlotCount - 1);
    }
}
