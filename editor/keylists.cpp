// The key lists, the pending keys' text and storing a new combination.
#include <windows.h>

#include "editor.h"
#include "editorrules.h"
#include "keynames.h"
#include "keystate.h"
#include "maindialog.h"
#include "programfile.h"

void FillKeyList(HWND list) {
    char entry[KeyListEntrySize];
    for (int code = 0; code < KeyCount; ++code) {
        if (!KeyListOffers(code)) continue;
        KeyListEntry(code, entry, sizeof entry);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

void ShowPendingKeys(HWND edit) {
    char text[PayloadSize];
    GetCombinationText(PendingCombination.keys, text, sizeof text);
    SetWindowTextA(edit, text);
}

void AppendPendingCombination() {
    int i = ProgramTable.count;
    // The caller checks the capacity; never write past the table all the same.
    if (i < 0 || i >= MaxCombinations) return;
    CombinationRecord* record = &ProgramTable.records[i];
    CopyPendingInto(record);
    AddCombinationRow(i, record);
    ProgramTable.count = i + 1;
    SaveProgramTable(&ProgramTable);
}
