// Lookup structures built from the library's table when it is loaded, so that
// the hook answers "which record hits first" in constant time instead of
// comparing 256 bytes per record twice per event.
#pragma once

#include <cstdint>

#include "mappingfile.h"

const short NoRecord = 0x7FFF;

// One bit per virtual-key code.
struct KeyMask {
    std::uint64_t words[4];
};

inline void MaskSet(KeyMask& mask, int code)
{
    mask.words[code >> 6] |= std::uint64_t(1) << (code & 63);
}
inline void MaskClear(KeyMask& mask, int code)
{
    mask.words[code >> 6] &= ~(std::uint64_t(1) << (code & 63));
}
inline bool MaskHas(const KeyMask& mask, int code)
{
    return (mask.words[code >> 6] >> (code & 63)) & 1;
}
inline void MaskAdd(KeyMask& mask, const KeyMask& keys)
{
    for (int w = 0; w < 4; ++w)
        mask.words[w] |= keys.words[w];
}
inline bool MaskEmpty(const KeyMask& mask)
{
    return (mask.words[0] | mask.words[1] | mask.words[2] | mask.words[3]) == 0;
}
inline bool MaskEqual(const KeyMask& a, const KeyMask& b)
{
    return a.words[0] == b.words[0] && a.words[1] == b.words[1] && a.words[2] == b.words[2] &&
           a.words[3] == b.words[3];
}

// The lowest set bit of a nonzero word (de Bruijn, for any compiler).
inline int LowestBit(std::uint64_t bits)
{
    static const signed char index[64] = {
        0,  1,  48, 2,  57, 49, 28, 3,  61, 58, 50, 42, 38, 29, 17, 4,  62, 55, 59, 36, 53, 51,
        43, 22, 45, 39, 33, 30, 24, 18, 12, 5,  63, 47, 56, 27, 60, 41, 37, 16, 54, 35, 52, 21,
        44, 32, 23, 11, 46, 26, 40, 15, 34, 20, 31, 10, 25, 14, 19, 9,  13, 8,  7,  6};
    return index[((bits & (~bits + 1)) * 0x03F79D71B4CB0A89ull) >> 58];
}

const int MatchSlotBits = 10;
const int MatchSlotCount = 1 << MatchSlotBits; // over three times the table's capacity

struct MatchSlot {
    KeyMask keys;
    short firstChangeKey; // lowest ChangeKey record with exactly these keys
    short firstAny;       // lowest record of any action with exactly these keys
    bool used;
};

struct MatchIndex {
    short firstBlock[256];        // lowest BlockKey record whose keys hold the code
    short firstSingleChange[256]; // lowest single-key ChangeKey record whose keys hold the code
    // The codes that some record, and some ChangeKey record, holds: an event
    // on a code in none needs no lookup.
    KeyMask inSome;
    KeyMask inSomeChange;
    MatchSlot slots[MatchSlotCount];
};

KeyMask MaskOfKeys(const BYTE* keys);
// The other way: KeyDown for each code in `mask`, 0 for the rest.
void KeysOfMask(const KeyMask& mask, BYTE* keys);

// Folds the first `count` records in place (the form the file stores) and
// rebuilds the index over them; with `acts`, over those whose entry is true.
void BuildMatchIndex(MatchIndex* index, CombinationTable* table, const bool* acts = nullptr);

// The slot for `keys`, or null when no record has exactly these keys.
const MatchSlot* FindExact(const MatchIndex* index, const KeyMask& keys);
