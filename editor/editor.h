// The combination editor: capture wizard (140, 141, 142) and action chooser (130).
#pragma once

#include "mappingfile.h"
#include "win32types.h"

// The editor's record. Its `keys` are also the capture buffer lent to the
// library, so it lives in static storage for the whole run.
extern CombinationRecord PendingCombination;

// The library's capture calls, bound by the program.
struct CaptureCalls {
    LRESULT (*setLastCombWindow)(HWND window);
    BYTE* (*setLastCombBuffer)(BYTE* buffer);
    LRESULT (*setSendLastComb)(LRESULT flag);
};

// What the editor's dialogs get as their creation parameter: the combination
// they edit, whether it is new (no action chosen yet), and the capture calls
// for typed capture. The dialogs hand the combination back in `record`.
struct CombinationEdit {
    CombinationRecord* record;
    bool isNew;
    CaptureCalls capture;
};

#ifdef _WIN32
// The wizard of "Add New Key Combination" over `owner`: on 1 (Finish) the
// new combination is in `edit->record`, on 2 (Cancel) nothing is to be stored.
// Typed capture lends the library `edit->record->keys`.
INT_PTR RunAddCombinationWizard(HWND owner, CombinationEdit* edit);
// Runs dialog 130 over `owner` on `edit`; 1 = Finish, 2 = Cancel.
INT_PTR RunActionChooser(HWND owner, CombinationEdit* edit);
// Runs the About box (103) over `owner`.
void RunAboutDialog(HWND owner);

// Fills a drop-down list with the entries of every offered key.
void FillKeyList(HWND list);
// Sets an edit's text to the combination text of `record`'s keys.
void ShowRecordKeys(HWND edit, const CombinationRecord* record);
// The open-file dialog of "..."; nonzero when a file was chosen into `path`.
BOOL ChooseApplicationFile(HWND owner, char* path, DWORD capacity);
// The open-file dialog of the programs' "..."; nonzero when a program was
// chosen, its file name (without its folder) in `name`.
BOOL ChooseProgramFile(HWND owner, char* name, DWORD capacity);
// Fills a drop-down list with the programs of the windows open now, each once.
void FillOpenPrograms(HWND list);
// Id of the control under the pointer; -2 for none or past depth 10.
int ControlUnderPointer(HWND window, int depth);
// The creation parameter of an editor dialog, kept at WM_INITDIALOG.
CombinationEdit* EditOf(HWND dialog, UINT message, LPARAM lParam);
#endif
