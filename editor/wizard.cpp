// The capture wizard: selection method (140), typed capture (141), mouse
// selection (142), then the action chooser. Each dialog works on the
// combination of its creation parameter.
#include <windows.h>

#include "editor.h"
#include "editorrules.h"
#include "keystate.h"
#include "resource.h"

namespace {

// The library's capture switch; the program does not run without it, but a
// missing pointer must not crash the dialog.
void SwitchCapture(const CombinationEdit* edit, LRESULT on) {
    if (edit->capture.setSendLastComb != nullptr) edit->capture.setSendLastComb(on);
}

INT_PTR CALLBACK SelectionMethodProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CheckRadioButton(dialog, IDC_BY_TYPING, IDC_BY_MOUSE, IDC_BY_TYPING);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            bool typing = IsDlgButtonChecked(dialog, IDC_BY_TYPING) == BST_CHECKED;
            EndDialog(dialog, typing ? IDC_BY_TYPING : IDC_BY_MOUSE);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK TypeInCaptureProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CombinationEdit* edit = EditOf(dialog, message, lParam);
    if (edit == nullptr) return FALSE;
    switch (message) {
    case WM_INITDIALOG: {
        CombinationRecord* record = edit->record;
        ClearKeys(record->keys);
        const CaptureCalls& calls = edit->capture;
        if (calls.setLastCombWindow != nullptr) calls.setLastCombWindow(GetDlgItem(dialog, IDC_CURRENT_KEYS));
        if (calls.setLastCombBuffer != nullptr) calls.setLastCombBuffer(record->keys);
        SwitchCapture(edit, 1);
        return TRUE;
    }
    case WM_COMMAND:
        // Keys never reach this dialog while capture is on, so only the
        // mouse (or the close box) ends it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            SwitchCapture(edit, 0);
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowMouseSelection(HWND dialog, const CombinationRecord* record) {
    ShowRecordKeys(GetDlgItem(dialog, IDC_CURRENT_KEYS), record);
    EnableWindow(GetDlgItem(dialog, IDOK), HasAnyKey(record) ? TRUE : FALSE);
}

void AddSelectedKey(HWND dialog, CombinationRecord* record) {
    HWND list = GetDlgItem(dialog, IDC_KEY_LIST);
    LRESULT selection = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) {
        MessageBoxA(dialog, "Please select a KEY from the Dropdown list and then press Add Key", "Info...",
                    MB_OK | MB_ICONHAND);
        return;
    }
    // CB_GETLBTEXT takes no capacity: check the length first.
    LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length == CB_ERR || length >= KeyListEntrySize) return;
    char entry[KeyListEntrySize];
    entry[0] = '\0';
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(entry));
    AddListedKey(record, entry);
    ShowMouseSelection(dialog, record);
}

INT_PTR CALLBACK MouseSelectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CombinationEdit* edit = EditOf(dialog, message, lParam);
    if (edit == nullptr) return FALSE;
    CombinationRecord* record = edit->record;
    switch (message) {
    case WM_INITDIALOG:
        FillKeyList(GetDlgItem(dialog, IDC_KEY_LIST));
        ClearKeys(record->keys);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ADD_KEY:
            AddSelectedKey(dialog, record);
            return TRUE;
        case IDC_CLEAR_KEYS:
            ClearKeys(record->keys);
            ShowMouseSelection(dialog, record);
            return TRUE;
        case IDOK:
            // Enter reaches the default button even while it is disabled.
            if (HasAnyKey(record)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR ShowDialog(int resource, HWND owner, DLGPROC proc, CombinationEdit* edit) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), owner, proc,
                           reinterpret_cast<LPARAM>(edit));
}

} // namespace

INT_PTR RunAddCombinationWizard(HWND owner, CombinationEdit* edit) {
    int method = static_cast<int>(ShowDialog(IDD_SELECTION_METHOD, owner, SelectionMethodProc, edit));
    int next = CaptureDialogFor(method);
    if (next == 0) return IDCANCEL;
    DLGPROC proc = next == IDD_TYPE_IN_CAPTURE ? TypeInCaptureProc : MouseSelectionProc;
    if (ShowDialog(next, owner, proc, edit) != IDOK) return IDCANCEL;
    PrepareNewAction(edit);
    return RunActionChooser(owner, edit) == IDOK ? IDOK : IDCANCEL;
}
