// The hook procedure read literally: fold and compare all 256 bytes of every
// record, in two passes. The baseline that the library's indexed procedure is
// measured and checked against; it shares no matching code with it. Keys go
// out as the library sends them (their own scan codes); what the library adds
// for the system's sake (masks, modifiers pressed again, toggle keys turned
// back, the typer's keys) the comparison leaves out.
#pragma once

#include "mappingfile.h"
#include "win32types.h"

struct ReferenceHook {
    BYTE live[256];
    BYTE lastCombSnapshot[256];
    BYTE passedDown[256];  // real presses passed on, until a release of the code went out
    BYTE pressedDown[256]; // presses synthesized, until a release of the code went out
    BYTE reached[256];     // keys held whose press was passed on
    BYTE* lastCombBuffer;
    HWND lastCombWindow;
    int sendLastComb;
    CombinationTable* table;
};
extern ReferenceHook Reference;

void ResetReferenceHook(CombinationTable* table);
LRESULT ReferenceRemapProc(int code, WPARAM wParam, LPARAM lParam);
// ResetKeysState and a reload that replaces the table, read the same way.
void ReferenceResetKeysState();
void ReferenceReplaceTable(CombinationTable* table);
