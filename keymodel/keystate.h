// Key-state vectors: 256 bytes indexed by virtual-key code, bit 0x80 = down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "win32types.h"

const int KeyCount = 256;
const BYTE KeyDown = 0x80;

typedef BYTE KeyStateVector[KeyCount];

// Whether none of the eight entries from `keys` is down: loops over a
// vector skip such runs, as most keys are up.
inline bool EightKeysUp(const BYTE* keys)
{
    std::uint64_t word;
    std::memcpy(&word, keys, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// Keeps only bit 0x80 of every byte, then ORs the left and right Shift, Ctrl
// and Alt entries (160-165) into the generic ones (16-18).
void FoldModifiers(BYTE* keys);
// Marks `code` down and folds the vector.
void SetKeyDown(BYTE* keys, int code);
void ClearKeys(BYTE* keys);
// Folds `stored` in place; 1 when every stored byte equals the live byte
// masked to 0x80.
int KeysMatch(const BYTE* live, BYTE* stored);
// 1 when exactly one code other than 16, 17 and 18 has a nonzero byte.
int IsSingleKey(const BYTE* keys);
