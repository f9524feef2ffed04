#include "keystate.h"

#include <cstring>

void FoldModifiers(BYTE* keys)
{
    for (int code = 0; code < KeyCount; ++code)
        keys[code] &= KeyDown;
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
