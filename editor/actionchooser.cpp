// The action chooser (130) with its Quick Help panel, and the "..." browse.
#include <windows.h>

#include <commdlg.h>

#include "editor.h"
#include "editorrules.h"
#include "keystate.h"
#include "resource.h"

namespace {

const UINT_PTR HelpTimerId = 1;
const UINT HelpTimerPeriod = 50;
const int NoControl = -2;
const int ControlSearchDepth = 10;

struct ActionChooserModule {
    int currentChoice = DisableCombination;
    UINT_PTR helpTimer = 0;
    bool opening = false;   // commands sent by the opening steps are not the user's
    int lastHelpId = -20;   // kept across openings; no control has this id
    char chosenPath[PayloadSize] = {};
    char argument[PayloadSize] = {};
    ActionChooserOpening view = {};
};

ActionChooserModule Chooser;

void ApplyEnableRules(HWND dialog) {
    for (int id : ChoiceControls) {
        EnableWindow(GetDlgItem(dialog, id), ChoiceEnablesControl(Chooser.currentChoice, id) ? TRUE : FALSE);
    }
}

// The text of the current choice's argument control, up to 2999 characters.
void ReadArgument(HWND dialog, char* text, int capacity) {
    text[0] = '\0';
    int control = ArgumentControlOf(Chooser.currentChoice);
    if (control != 0) GetDlgItemTextA(dialog, control, text, capacity);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

#ifndef BM_SETDONTCLICK
#define BM_SETDONTCLICK 0x00F8
#endif

// Returns true when it put the focus on the checked choice itself.
bool Open(HWND dialog, const CombinationEdit* edit) {
    Chooser.opening = true;
    Chooser.helpTimer = SetTimer(dialog, HelpTimerId, HelpTimerPeriod, nullptr);
    CheckDlgButton(dialog, IDC_DISABLE_ACTION, BST_CHECKED);

    ActionChooserOpening& view = Chooser.view;
    PrepareActionChooser(edit, &view);
    Chooser.currentChoice = view.currentChoice;
    if (view.setFinish) EnableWindow(GetDlgItem(dialog, IDOK), view.finishEnabled ? TRUE : FALSE);
    ApplyEnableRules(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_BLOCK_KEY), view.blockEnabled ? TRUE : FALSE);

    HWND targets = GetDlgItem(dialog, IDC_TARGET_LIST);
    FillKeyList(targets);
    SendMessageA(targets, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);

    const int radios[] = {IDC_BLOCK_KEY, IDC_DISABLE_ACTION, IDC_TYPE_TEXT,
                          IDC_LAUNCH_APP, IDC_GO_TO_URL, IDC_CHANGE_KEY};
    for (int radio : radios) {
        // Where the system has it, a radio button that gets the focus does not click itself.
        SendDlgItemMessageA(dialog, radio, BM_SETDONTCLICK, TRUE, 0);
        CheckDlgButton(dialog, radio, radio == view.checkedRadio ? BST_CHECKED : BST_UNCHECKED);
    }
    if (view.currentChoice == ChangeKey) {
        CheckDlgButton(dialog, IDC_WITH_CTRL, view.withCtrl ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_WITH_ALT, view.withAlt ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_WITH_SHIFT, view.withShift ? BST_CHECKED : BST_UNCHECKED);
    }
    if (view.textControl != 0) SetDlgItemTextA(dialog, view.textControl, view.text);
    // The radio group's focus is on the checked choice, never on another one
    // that would click itself.
    HWND checked = view.checkedRadio != 0 ? GetDlgItem(dialog, view.checkedRadio) : nullptr;
    bool focused = checked != nullptr && IsWindowEnabled(checked);
    if (focused) SetFocus(checked);
    Chooser.opening = false;
    return focused;
}

void End(HWND dialog, INT_PTR result) {
    if (Chooser.helpTimer != 0) KillTimer(dialog, Chooser.helpTimer);
    Chooser.helpTimer = 0;
    EndDialog(dialog, result);
}

void Finish(HWND dialog, CombinationEdit* edit) {
    ReadArgument(dialog, Chooser.argument, PayloadSize);
    const char* refusal = Chooser.currentChoice == GoToUrl ? UrlRefusal(Chooser.argument) : nullptr;
    if (refusal != nullptr) {
        // The dialog stays open with the text as entered.
        MessageBoxA(dialog, refusal, UrlRefusalCaption, MB_ICONWARNING | MB_OK);
        return;
    }
    FinishChoice(edit, Chooser.currentChoice, Chooser.argument, Checked(dialog, IDC_WITH_CTRL),
                 Checked(dialog, IDC_WITH_ALT), Checked(dialog, IDC_WITH_SHIFT));
    End(dialog, IDOK);
}

void OtherCommand(HWND dialog, int id) {
    int action = ActionOfRadio(id);
    if (action >= 0) Chooser.currentChoice = action;
    if (id == IDC_BROWSE &&
        ChooseApplicationFile(dialog, Chooser.chosenPath, sizeof Chooser.chosenPath) != 0) {
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, Chooser.chosenPath);
    }
    ApplyEnableRules(dialog);
    ReadArgument(dialog, Chooser.argument, PayloadSize);
    EnableWindow(GetDlgItem(dialog, IDOK), FinishRule(Chooser.currentChoice, Chooser.argument) ? TRUE : FALSE);
}

void ShowQuickHelp(HWND dialog) {
    int id = ControlUnderPointer(dialog, 0);
    if (id == Chooser.lastHelpId) return;
    Chooser.lastHelpId = id;
    SetDlgItemTextA(dialog, IDC_QUICK_HELP, QuickHelpText(id));
}

INT_PTR CALLBACK ActionChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CombinationEdit* edit = EditOf(dialog, message, lParam);
    if (edit == nullptr) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return Open(dialog, edit) ? FALSE : TRUE;
    case WM_TIMER:
        ShowQuickHelp(dialog);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK) {
            // Enter reaches the default button even while it is disabled.
            if (IsWindowEnabled(GetDlgItem(dialog, IDOK))) Finish(dialog, edit);
        } else if (id == IDCANCEL) {
            End(dialog, IDCANCEL);
        } else if (!Chooser.opening) {
            OtherCommand(dialog, id);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR RunActionChooser(HWND owner, CombinationEdit* edit) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ACTION_CHOOSER), owner,
                           ActionChooserProc, reinterpret_cast<LPARAM>(edit));
}

BOOL ChooseApplicationFile(HWND owner, char* path, DWORD capacity) {
    if (capacity == 0) return FALSE;
    path[0] = '\0';
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Applications\0*.EXE;*.COM;*BAT;*.LNK\0All Files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrInitialDir = ".";
    dialog.lpstrTitle = "Choose Your Application...";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return GetOpenFileNameA(&dialog);
}

namespace {

bool IsGroupBox(HWND window) {
    char className[16];
    if (GetClassNameA(window, className, sizeof className) == 0 || lstrcmpiA(className, "Button") != 0) {
        return false;
    }
    return (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A group box's inside is transparent: a control drawn in it is what lies at
// the point. Wine's RealChildWindowFromPoint stops at the box itself, so the
// siblings below it are searched here.
HWND LookThroughGroupBox(HWND box, POINT screenPoint) {
    for (HWND sibling = GetWindow(box, GW_HWNDNEXT); sibling != nullptr;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT rect;
        if (!IsWindowVisible(sibling) || IsGroupBox(sibling) || !GetWindowRect(sibling, &rect)) continue;
        if (PtInRect(&rect, screenPoint)) return sibling;
    }
    return box;
}

} // namespace

int ControlUnderPointer(HWND window, int depth) {
    if (depth == ControlSearchDepth) return NoControl;
    POINT screenPoint;
    if (!GetCursorPos(&screenPoint)) return NoControl;
    POINT point = screenPoint;
    ScreenToClient(window, &point);
    HWND child = RealChildWindowFromPoint(window, point);
    if (child == nullptr) return NoControl;
    if (child != window && IsGroupBox(child)) child = LookThroughGroupBox(child, screenPoint);
    int id = static_cast<int>(GetWindowLongA(child, GWL_ID));
    // Statics without an id: their own child search ends at the depth limit.
    if (id == -1 || id == 0xFFFF) return ControlUnderPointer(child, depth + 1);
    return id;
}
