// The key lists, the keys' text and the dialogs' creation parameter.
#include <windows.h>

#include "editor.h"
#include "editorrules.h"
#include "keynames.h"
#include "keystate.h"

void FillKeyList(HWND list) {
    char entry[KeyListEntrySize];
    for (int code = 0; code < KeyCount; ++code) {
        if (!KeyListOffers(code)) continue;
        KeyListEntry(code, entry, sizeof entry);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

void ShowRecordKeys(HWND edit, const CombinationRecord* record) {
    char text[PayloadSize];
    GetCombinationText(record->keys, text, sizeof text);
    SetWindowTextA(edit, text);
}

CombinationEdit* EditOf(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<CombinationEdit*>(GetWindowLongPtrA(dialog, DWLP_USER));
}
