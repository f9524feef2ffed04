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
#endif
