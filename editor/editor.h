// The combination editor: capture wizard (140, 141, 142) and action chooser (130).
#pragma once

#include "win32types.h"

const int NoActionChosen = -1;

// The editor's scratch record. `keys` is also the capture buffer lent to the
// library, so it lives in static storage for the whole run.
struct PendingCombinationRecord {
    BYTE keys[256];
    int action;
    char payload[3000];
};
extern PendingCombinationRecord PendingCombination;

#ifdef _WIN32
// Adds a combination (the main dialog's "Add New Key Combination").
void RunAddCombinationWizard(HWND owner);
// Runs dialog 130 over `owner` on PendingCombination; 1 = Finish, 2 = Cancel.
INT_PTR RunActionChooser(HWND owner);
// Runs the About box (103) over `owner`.
void RunAboutDialog(HWND owner);

// Fills a drop-down list with the entries of every offered key.
void FillKeyList(HWND list);
// Sets an edit's text to the combination text of PendingCombination.keys.
void ShowPendingKeys(HWND edit);
// Appends PendingCombination to the program's table and list, then saves.
void AppendPendingCombination();
// The open-file dialog of "..."; nonzero when a file was chosen into `path`.
BOOL ChooseApplicationFile(HWND owner, char* path, DWORD capacity);
// Id of the control under the pointer; -2 for none or past depth 10.
int ControlUnderPointer(HWND window, int depth);
#endif
