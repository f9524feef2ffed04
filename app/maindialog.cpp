// The main dialog 131: the switch's state and the list of combinations.
#include "maindialog.h"

#include <commctrl.h>

#include <cstring>

#include "combinationlist.h"
#include "dpi.h"
#include "editor.h"
#include "hooklibrary.h"
#include "main.h"
#include "programfile.h"
#include "recordtext.h"
#include "remapping.h"
#include "resource.h"
#include "switchrules.h"

CombinationTable ProgramTable;
HWND MainDialog;
HWND CombinationListView;

namespace {

struct MainDialogState {
    char keyText[RowTextSize];
    char functionText[RowTextSize];
    int focusWhenLeft; // the control that had the focus when the dialog was last deactivated
    UINT dpi;          // of the open dialog: its columns and state icons are sized for it
    HICON stateIcons[2]; // the disabled (icon 134) and the application icon (2), at `dpi`
};
MainDialogState Dialog;

bool ListRowSelected(int row, void*)
{
    return SendMessageA(CombinationListView, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                        LVIS_SELECTED) != 0;
}

void ListDeleteRow(int row, void*)
{
    SendMessageA(CombinationListView, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

const RowOps ListRows = {ListRowSelected, ListDeleteRow, nullptr};

int ListRowCount()
{
    return static_cast<int>(SendMessageA(CombinationListView, LVM_GETITEMCOUNT, 0, 0));
}

void InsertColumn(HWND listView, int index, const char* heading, int width)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM | (width ? LVCF_WIDTH : 0);
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(heading);
    column.iSubItem = index;
    SendMessageA(listView, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

// The common tail of the dialog's commands: button 1019 follows the hook.
void FollowHook(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_ADD_COMBINATION), HookHandle != nullptr);
}

const int ColumnWidth = 200; // pixels at 96 DPI, each column at least

void ShowStateIcon(HWND dialog)
{
    SendMessageA(GetDlgItem(dialog, IDC_STATE_ICON), STM_SETICON,
                 reinterpret_cast<WPARAM>(Dialog.stateIcons[RemappingEnabled ? 1 : 0]), 0);
}

// Template dialogs scale by themselves; the list's columns and the icons
// loaded at a size are the program's to follow.
void FollowDpi(HWND dialog, UINT dpi)
{
    for (int column = 0; Dialog.dpi != 0 && column < 2; ++column) {
        int width = static_cast<int>(SendMessageA(CombinationListView, LVM_GETCOLUMNWIDTH, column, 0));
        SendMessageA(CombinationListView, LVM_SETCOLUMNWIDTH, column,
                     MulDiv(width, static_cast<int>(dpi), static_cast<int>(Dialog.dpi)));
    }
    Dialog.dpi = dpi;
    const int ids[2] = {IDI_DISABLED_ICON, IDI_APPLICATION_ICON};
    for (int i = 0; i < 2; ++i) {
        if (Dialog.stateIcons[i])
            DestroyIcon(Dialog.stateIcons[i]);
        Dialog.stateIcons[i] = LoadLargeIconForDpi(ids[i], dpi);
    }
    ShowStateIcon(dialog);
}

void EndMainDialog(HWND dialog, INT_PTR result)
{
    ShowWindow(dialog, SW_MINIMIZE);
    EndDialog(dialog, result);
    MainDialog = nullptr;
}

// The editor works on PendingCombination, whose keys the library may keep
// as its capture buffer.
CombinationEdit PendingEdit(bool isNew)
{
    CombinationEdit edit = {&PendingCombination, isNew,
                            {Library.SetLastCombWindow, Library.SetLastCombBuffer, Library.SetSendLastComb}};
    return edit;
}

void OnAddCombination(HWND dialog)
{
    if (!CanAddCombination(&ProgramTable)) {
        MessageBoxA(dialog,
                    "You have reached the maximum limit of allowed key combinations. Please remove "
                    "some of key combinations before trying to add some more.",
                    "Too many key combinations :)", MB_ICONWARNING | MB_OK);
        return;
    }
    CombinationEdit edit = PendingEdit(true);
    if (RunAddCombinationWizard(dialog, &edit) != IDOK)
        return;
    // The table may have been reloaded meanwhile: the new record goes after
    // what it holds now, and its row with it.
    int row = AppendCombination(&ProgramTable, edit.record);
    if (row < 0)
        return;
    AddCombinationRow(row, &ProgramTable.records[row]);
    SaveProgramTable(&ProgramTable);
}

#ifndef BM_SETDONTCLICK
#define BM_SETDONTCLICK 0x00F8
#endif

// Moves the focus to the checked radio when the switch changed under it.
bool KeepFocusOffUncheckedRadio(HWND dialog, int focusedId)
{
    int target = SwitchFocusTarget(focusedId, RemappingEnabled);
    if (target == 0)
        return false;
    SetFocus(GetDlgItem(dialog, target));
    return true;
}

// The dialog restores the focus it had when it is activated again; a radio
// button that was unchecked meanwhile must not get it and click itself.
bool OnActivate(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        Dialog.focusWhenLeft = IsChild(dialog, focus) ? GetDlgCtrlID(focus) : 0;
        return false;
    }
    return !HIWORD(wParam) && KeepFocusOffUncheckedRadio(dialog, Dialog.focusWhenLeft);
}

void OnInitDialog(HWND dialog)
{
    // Where the system has it, a radio button that gets the focus no longer
    // clicks itself.
    SendDlgItemMessageA(dialog, IDC_ENABLE, BM_SETDONTCLICK, TRUE, 0);
    SendDlgItemMessageA(dialog, IDC_DISABLE, BM_SETDONTCLICK, TRUE, 0);
    Dialog.focusWhenLeft = 0;
    CheckDlgButton(dialog, IDC_DISABLE, RemappingEnabled == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ENABLE, RemappingEnabled == 1 ? BST_CHECKED : BST_UNCHECKED);
    CombinationListView = GetDlgItem(dialog, IDC_COMBINATION_LIST);
    Dialog.dpi = 0; // the columns are made at the dialog's DPI
    InitCombinationList(CombinationListView);
    MainDialog = dialog;
    SetWindowTextA(dialog, RemappingEnabled ? EnabledTitle : DisabledTitle);
    FollowDpi(dialog, WindowDpi(dialog));
    EnableWindow(GetDlgItem(dialog, IDC_ADD_COMBINATION), RemappingEnabled == 1);
    // Not the first tab stop, "Application Enabled": while remapping is off it
    // would click itself.
    SetFocus(GetDlgItem(dialog, CheckedSwitchRadio(RemappingEnabled)));
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
    case IDC_HIDE:
        EndMainDialog(dialog, LOWORD(wParam));
        return TRUE;
    case IDC_ENABLE:
        EnableRemapping();
        break;
    case IDC_DISABLE:
        DisableRemapping();
        break;
    case IDC_ADD_COMBINATION:
        OnAddCombination(dialog);
        break;
    case IDC_DELETE_SELECTED:
        DeleteSelectedCombinations();
        break;
    case IDC_EDIT_SELECTED:
        EditSelectedCombination();
        break;
    case IDC_TERMINATE:
        ConfirmAutorunOnExit();
        MainDialog = nullptr;
        PostMessageA(MainWindow, WM_DESTROY, 0, 0);
        EndDialog(dialog, IDC_TERMINATE);
        return TRUE;
    default:
        break;
    }
    FollowHook(dialog);
    return FALSE;
}

} // namespace

namespace {
// A column that would cut a row's text grows to it (the list scrolls), with
// the list's margins (12 pixels at 96 DPI).
void WidenColumnFor(int column, const char* text)
{
    int needed = static_cast<int>(SendMessageA(CombinationListView, LVM_GETSTRINGWIDTHA, 0,
                                               reinterpret_cast<LPARAM>(text))) +
                 ScaledToDpi(12, WindowDpi(CombinationListView));
    if (SendMessageA(CombinationListView, LVM_GETCOLUMNWIDTH, column, 0) < needed)
        SendMessageA(CombinationListView, LVM_SETCOLUMNWIDTH, column, needed);
}
} // namespace

void InsertCombinationRow(int row, const char* keyText, const char* functionText)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(keyText);
    SendMessageA(CombinationListView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(functionText);
    SendMessageA(CombinationListView, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    WidenColumnFor(0, keyText);
    WidenColumnFor(1, functionText);
}

void AddCombinationRow(int row, const CombinationRecord* record)
{
    FormatKeyText(record, Dialog.keyText, sizeof Dialog.keyText);
    FormatFunctionText(record, Dialog.functionText, sizeof Dialog.functionText);
    InsertCombinationRow(row, Dialog.keyText, Dialog.functionText);
}

namespace {
// One row a record of the program's table, in order.
void ListTableRows()
{
    for (int i = 0; i < ProgramTable.count; ++i)
        AddCombinationRow(i, &ProgramTable.records[i]);
}

// The open dialog's rows again, after the table took in the file.
void RelistTable()
{
    if (!MainDialog)
        return;
    SendMessageA(CombinationListView, LVM_DELETEALLITEMS, 0, 0);
    ListTableRows();
}
} // namespace

void InitCombinationList(HWND listView)
{
    int width = ScaledToDpi(ColumnWidth, WindowDpi(listView));
    InsertColumn(listView, 0, "Key(s) Combination", 0);
    InsertColumn(listView, 1, "Associated Function", width);
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, 0, width);
    ProgramFile.listTable = RelistTable;
    // Whatever the load made of the file, row i is record i of the table that
    // the next save writes.
    LoadProgramTable(&ProgramTable, LoadOnDialogOpen);
    ListTableRows();
}

void DeleteSelectedCombinations()
{
    DeleteSelectedRecords(&ProgramTable, ListRowCount(), &ListRows);
    SaveProgramTable(&ProgramTable);
}

void EditSelectedCombination()
{
    int row = FirstSelectedRow(ListRowCount(), &ListRows);
    if (row < 0 || row >= ProgramTable.count)
        return;
    CombinationRecord* record = &ProgramTable.records[row];
    PendingCombination = *record;
    CombinationEdit edit = PendingEdit(false);
    if (RunActionChooser(MainDialog, &edit) == IDCANCEL)
        return;
    // The table may have been reloaded while the chooser was open: the
    // change belongs to the record with these keys only.
    if (row >= ProgramTable.count || std::memcmp(record->keys, edit.record->keys, sizeof record->keys) != 0)
        return;
    record->action = edit.record->action;
    std::memcpy(record->payload, edit.record->payload, sizeof record->payload);
    SendMessageA(CombinationListView, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    AddCombinationRow(row, record);
    SaveProgramTable(&ProgramTable);
}

void ReloadCombinationsFromDisk()
{
    if (Library.ForceReloadKeysFromDisk)
        Library.ForceReloadKeysFromDisk();
    // The program holds what the library holds, dialog open or not: a file
    // removed before the dialog next opens loses nothing.
    LoadProgramTable(&ProgramTable, LoadOnRequest);
    RelistTable();
}

void ShowRemappingState()
{
    if (!MainDialog)
        return;
    ShowStateIcon(MainDialog);
    SetWindowTextA(MainDialog, RemappingEnabled ? EnabledTitle : DisabledTitle);
    FollowHook(MainDialog);
    CheckDlgButton(MainDialog, IDC_DISABLE, RemappingEnabled == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(MainDialog, IDC_ENABLE, RemappingEnabled == 1 ? BST_CHECKED : BST_UNCHECKED);
    // Switched from outside (tray menu): an inactive dialog is seen to when it
    // is activated again.
    if (GetActiveWindow() == MainDialog)
        KeepFocusOffUncheckedRadio(MainDialog, GetDlgCtrlID(GetFocus()));
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // the focus is set
    case WM_ACTIVATE:
        return OnActivate(dialog, wParam) ? TRUE : FALSE;
    case WM_DPICHANGED:
        FollowDpi(dialog, LOWORD(wParam));
        return FALSE; // the dialog manager resizes the dialog and its fonts
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_COMBINATION_LIST && header->code == NM_DBLCLK)
            EditSelectedCombination();
        return FALSE;
    }
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        if (wParam == SC_MINIMIZE || wParam == SC_CLOSE) {
            EndMainDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
