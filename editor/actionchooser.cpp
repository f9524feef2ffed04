// The action chooser (130) with its Quick Help panel, and the "..." browse.
#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <initializer_list>

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
    char whereNames[sizeof ActionChooserOpening::whereNames] = {};
    char refusal[1024] = {};
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

int CheckedWhere(HWND dialog) {
    for (int id : {IDC_WHERE_ONLY_IN, IDC_WHERE_NOT_IN}) {
        if (Checked(dialog, id)) return WhereOfRadio(id);
    }
    return ActsEverywhere;
}

void ApplyWhereRules(HWND dialog) {
    bool enabled = WhereEnablesControls(CheckedWhere(dialog));
    for (int id : WhereControls) EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

void AddProgram(HWND dialog, const char* name) {
    GetDlgItemTextA(dialog, IDC_WHERE_NAMES, Chooser.whereNames, sizeof Chooser.whereNames);
    AddWhereProgram(Chooser.whereNames, name, Chooser.whereNames, sizeof Chooser.whereNames);
    SetDlgItemTextA(dialog, IDC_WHERE_NAMES, Chooser.whereNames);
}

// The program chosen in the list of open ones goes into the names; the
// list is left without a choice for the next one.
void TakeListedProgram(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_WHERE_OPEN_PROGRAMS);
    LRESULT at = SendMessageA(list, CB_GETCURSEL, 0, 0);
    char name[ProgramNameSize];
    if (at < 0 || SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) >= ProgramNameSize) return;
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(name));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    AddProgram(dialog, name);
}

void WhereCommand(HWND dialog, int id, int code) {
    HWND list = GetDlgItem(dialog, IDC_WHERE_OPEN_PROGRAMS);
    if (id == IDC_WHERE_OPEN_PROGRAMS && code == CBN_DROPDOWN) FillOpenPrograms(list);
    // While the list is open the choice may still move; it counts once the list closes.
    bool chosen = code == CBN_CLOSEUP || (code == CBN_SELCHANGE && !SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0));
    if (id == IDC_WHERE_OPEN_PROGRAMS && chosen) TakeListedProgram(dialog);
    char name[ProgramNameSize];
    if (id == IDC_WHERE_BROWSE && ChooseProgramFile(dialog, name, sizeof name)) AddProgram(dialog, name);
    ApplyWhereRules(dialog);
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
    for (int radio : {IDC_WHERE_EVERYWHERE, IDC_WHERE_ONLY_IN, IDC_WHERE_NOT_IN}) {
        SendDlgItemMessageA(dialog, radio, BM_SETDONTCLICK, TRUE, 0);
        CheckDlgButton(dialog, radio, radio == view.whereRadio ? BST_CHECKED : BST_UNCHECKED);
    }
    SetDlgItemTextA(dialog, IDC_WHERE_NAMES, view.whereNames);
    FillOpenPrograms(GetDlgItem(dialog, IDC_WHERE_OPEN_PROGRAMS));
    ApplyWhereRules(dialog);
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
    GetDlgItemTextA(dialog, IDC_WHERE_NAMES, Chooser.whereNames, sizeof Chooser.whereNames);
    int whereKind = CheckedWhere(dialog);
    refusal = WhereRefusal(Chooser.currentChoice, Chooser.argument, whereKind, Chooser.whereNames,
                                       Chooser.refusal, sizeof Chooser.refusal);
    if (refusal != nullptr) {
        // The dialog stays open with everything as entered.
        MessageBoxA(dialog, refusal, WhereRefusalCaption, MB_ICONWARNING | MB_OK);
        return;
    }
    CombinationWhere where;
    ParseWhereNames(Chooser.whereNames, whereKind, &where);
    FinishChoice(edit, Chooser.currentChoice, Chooser.argument, Checked(dialog, IDC_WITH_CTRL),
                 Checked(dialog, IDC_WITH_ALT), Checked(dialog, IDC_WITH_SHIFT), &where);
    End(dialog, IDOK);
}

void OtherCommand(HWND dialog, int id, int code) {
    WhereCommand(dialog, id, code);
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
            OtherCommand(dialog, id, HIWORD(wParam));
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

namespace {

BOOL ChooseFile(HWND owner, char* path, DWORD capacity, const char* filter, const char* title,
                const char* initialDirectory) {
    if (capacity == 0) return FALSE;
    path[0] = '\0';
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrInitialDir = initialDirectory;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return GetOpenFileNameA(&dialog);
}

} // namespace

BOOL ChooseApplicationFile(HWND owner, char* path, DWORD capacity) {
    return ChooseFile(owner, path, capacity, "Applications\0*.EXE;*.COM;*BAT;*.LNK\0All Files\0*.*\0",
                      "Choose Your Application...", ".");
}

BOOL ChooseProgramFile(HWND owner, char* name, DWORD capacity) {
    if (!ChooseFile(owner, Chooser.chosenPath, sizeof Chooser.chosenPath, "Programs\0*.EXE\0All Files\0*.*\0",
                    "Choose a program...", nullptr)) {
        return FALSE;
    }
    const char* file = std::strrchr(Chooser.chosenPath, '\\');
    file = file != nullptr ? file + 1 : Chooser.chosenPath;
    if (capacity == 0 || std::strlen(file) >= capacity) return FALSE;
    std::memcpy(name, file, std::strlen(file) + 1);
    return TRUE;
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
