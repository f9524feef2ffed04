// The hook procedure read literally: fold and compare all 256 bytes of every
// record, in two passes. The baseline that the library's indexed procedure is
// measured and checked against; it shares no matching code with it.
#pragma once

#include "mappingfile.h"
#include "win32types.h"

struct ReferenceHook {
    BYTE live[256];
    BYTE extendedKeyFlags[256];
    BYTE lastCombSnapshot[256];
    BYTE* lastCombBuffer;
    HWND lastCombWindow;
    int sendLastComb;
    CombinationTable* table;
};
extern ReferenceHook Reference;

void ResetReferenceHook(CombinationTable* table);
LRESULT ReferenceRemapProc(int code, WPARAM wParam, LPARAM lParam);
