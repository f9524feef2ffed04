// The capture wizard: selection method (140), typed capture (141), mouse
// selection (142), then the action chooser.
#include <windows.h>

#include "editor.h"
#include "editorrules.h"
#include "keystate.h"
#include "resource.h"
#include "shell.h"

namespace {

// The library's capture switch; bound at start-up, the program does not run
// without it, but a missing pointer must not crash the dialog.
void SwitchCapture(LRESULT on) {
    if (Library.setSendLastComb != nullptr) Library.setSendLastComb(on);
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

INT_PTR CALLBACK TypeInCaptureProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ClearKeys(PendingCombination.keys);
        if (Library.setLastCombWindow != nullptr) Library.setLastCombWindow(GetDlgItem(dialog, IDC_CURRENT_KEYS));
        if (Library.setLastCombBuffer != nullptr) Library.setLastCombBuffer(PendingCombination.keys);
        SwitchCapture(1);
        return TRUE;
    case WM_COMMAND:
        // Keys never reach this dialog while capture is on, so only the
        // mouse (or the close box) ends it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            SwitchCapture(0);
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowMouseSelection(HWND dialog) {
    ShowPendingKeys(GetDlgItem(dialog, IDC_CURRENT_KEYS));
    EnableWindow(GetDlgItem(dialog, IDOK), HasAnyKey() ? TRUE : FALSE);
}

void AddSelectedKey(HWND dialog) {
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
    AddListedKey(entry);
    ShowMouseSelection(dialog);
}

INT_PTR CALLBACK MouseSelectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        FillKeyList(GetDlgItem(dialog, IDC_KEY_LIST));
        ClearKeys(PendingCombination.keys);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ADD_KEY:
            AddSelectedKey(dialog);
            return TRUE;
        case IDC_CLEAR_KEYS:
            ClearKeys(PendingCombination.keys);
            ShowMouseSelection(dialog);
            return TRUE;
        case IDOK:
            // Enter reaches the default button even while it is disabled.
            if (HasAnyKey()) EndDialog(dialog, IDOK);
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

INT_PTR ShowDialog(int resource, HWND owner, DLGPROC proc) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), owner, proc, 0);
}

} // namespace

void RunAddCombinationWizard(HWND owner) {
    int method = static_cast<int>(ShowDialog(IDD_SELECTION_METHOD, owner, SelectionMethodProc));
    int next = CaptureDialogFor(method);
    if (next == 0) return;
    DLGPROC proc = next == IDD_TYPE_IN_CAPTURE ? TypeInCaptureProc : MouseSelectionProc;
    if (ShowDialog(next, owner, proc) != IDOK) return;
    PrepareNewAction();
    if (RunActionChooser(owner) != IDOK) return;
    AppendPendingCombination();
}
