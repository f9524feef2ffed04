// Stands in for the combination editor while Quillon.exe is built without it:
// every editor dialog ends at once as cancelled.
#include <windows.h>

#include "editor.h"

PendingCombinationRecord PendingCombination;

void RunAddCombinationWizard(HWND) {}

INT_PTR RunActionChooser(HWND)
{
    return IDCANCEL;
}

void RunAboutDialog(HWND) {}
