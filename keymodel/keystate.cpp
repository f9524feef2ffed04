#include "keystate.h"

#include <cstdint>
#include <cstring>

void FoldModifiers(BYTE* keys)
{
    // Eight entries at a time: the table is folded on every load and match.
    for (int code = 0; code < KeyCount; code += 8) {
        std::uint64_t word;
        std::memcpy(&word, keys + code, sizeof word);
        word &= 0x8080808080808080ull;
        std::memcpy(keys + code, &word, sizeof word);
    }
    keys[0x10] |= keys[0xA0] | keys[0xA1];
    keys[0x11] |= keys[0xA2] | keys[0xA3];
    keys[0x12] |= keys[0xA4] | keys[0xA5];
}

void SetKeyDown(BYTE* keys, int code)
{
    if (code < 0 || code >= KeyCount)
        return;
    keys[code] = KeyDown;
    FoldModifiers(keys);
}

void ClearKeys(BYTE* keys) { std::memset(keys, 0, KeyCount); }

int KeysMatch(const BYTE* live, BYTE* stored)
{
    FoldModifiers(stored);
    for (int code = 0; code < KeyCount; ++code)
        if ((live[code] & KeyDown) != stored[code])
            return 0;
    return 1;
}

int IsSingleKey(const BYTE* keys)
{
    int count = 0;
    for (int code = 0; code < KeyCount; ++code) {
        if (code >= 0x10 && code <= 0x12)
            continue;
        if (keys[code] != 0)
            ++count;
    }
    return count == 1 ? 1 : 0;
}
