// Display names of the virtual-key codes and the text of a combination.
#pragma once

#include <cstddef>

#include "win32types.h"

// "<no-name>" for every code without a name of its own. Filled by
// InitKeyNames; constant afterwards.
extern const char* KeyNameTable[256];
extern const char* const NoKeyName;

void InitKeyNames();

// The names of the keys down in `keys` (bit 0x80), in ascending code order,
// joined by "+", the generic Shift, Ctrl and Alt (16-18) left out. Writes at
// most `capacity` bytes including the terminator: a name that does not fit
// whole is left out together with everything after it. Returns `out`.
char* GetCombinationText(const BYTE* keys, char* out, std::size_t capacity);
