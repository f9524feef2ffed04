// The main dialog (131) and the program's master combination table.
#pragma once

#include <windows.h>

#include "mappingfile.h"

extern CombinationTable ProgramTable;
extern HWND MainDialog;           // null while the dialog is closed
extern HWND CombinationListView;  // control 1016 of the open dialog

// Adds the list row of `record` at `row` (both texts cut to their buffers).
void AddCombinationRow(int row, const CombinationRecord* record);
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void InsertCombinationRow(int row, const char* keyText, const char* functionText);
void InitCombinationList(HWND listView);
void DeleteSelectedCombinations();
void EditSelectedCombination();
// The file was written by another program: the library, the table and the
// open dialog's list load it again.
void ReloadCombinationsFromDisk();
// Shows the switch's state in the open dialog (title, icon, radios, button 1019).
void ShowRemappingState();
