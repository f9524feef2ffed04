#include "editorrules.h"

#include <cstdio>
#include <cstring>

#include "keynames.h"
#include "keystate.h"
#include "resource.h"
#include "webaddress.h"

// Static for the whole run: the library keeps the address of `keys`.
CombinationRecord PendingCombination;

namespace {

// Copies at most `limit` characters of `text` and terminates `out`.
void CopyBounded(char* out, std::size_t capacity, const char* text, std::size_t limit) {
    if (capacity == 0) return;
    std::size_t n = 0;
    if (text != nullptr) {
        std::size_t most = capacity - 1 < limit ? capacity - 1 : limit;
        while (n < most && text[n] != '\0') ++n;
        std::memcpy(out, text, n);
    }
    out[n] = '\0';
}

// Length of a payload text, never past the payload (a damaged file may leave
// it unterminated).
std::size_t TextLength(const char* payload) {
    const void* end = std::memchr(payload, '\0', PayloadSize);
    return end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - payload) : PayloadSize;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct RadioAction {
    int radio;
    int action;
    int argument;
};

const RadioAction RadioActions[] = {
    {IDC_DISABLE_ACTION, DisableCombination, 0},
    {IDC_TYPE_TEXT, TypeText, IDC_TEXT_EDIT},
    {IDC_LAUNCH_APP, LaunchApplication, IDC_PATH_EDIT},
    {IDC_GO_TO_URL, GoToUrl, IDC_URL_EDIT},
    {IDC_CHANGE_KEY, ChangeKey, IDC_TARGET_LIST},
    {IDC_BLOCK_KEY, BlockKey, 0},
};

struct HelpEntry {
    int id;
    const char* text;
};

const HelpEntry HelpTable[] = {
    {IDOK, "Finish will accept all your settings and the key function will be come active immediately."},
    {IDCANCEL, "Cancel will abandanon all the changes and you will be brought back to the main interface."},
    {IDC_DISABLE_ACTION,
     "This will disable the key/keycombination if pressed alone. So if you disable 'A' then 'Ctrl+A' will "
     "still be working. By the same rule if you disable 'Ctlr+A' then just 'A' will continue to work.\n\n"
     "To completely disable ONE key use the Dead Key function."},
    {IDC_TYPE_TEXT,
     "Select this option to simulate a text being typed at your keyboard. This is usefull to type in common "
     "texts like signatures."},
    {IDC_LAUNCH_APP,
     "Select this option to launch an application when you type the selected key or key combination."},
    {IDC_GO_TO_URL, "Select this option to go the an URL when you type the selected key or key combination."},
    {IDC_TEXT_EDIT,
     "Enter here the text you wish to be typed when you press the selected key or key combination. You may "
     "have multiline text and a maximum of 1024 characters."},
    {IDC_PATH_EDIT,
     "Here you will see the full path and name of the application you have selected to run when you type the "
     "selected key or key combination. We use this for Calculator and Winamp :)."},
    {IDC_URL_EDIT,
     "Enter here the URL of the site you wish to visit when you press the selected key or key combination. "
     "For example your favourite news site."},
    {IDC_BROWSE, "Browse your hard drive and select the application that you would like to run."},
    {IDC_CHANGE_KEY,
     "This will replace the selected key with another key. This option is enabled only if you have selected "
     "just ONE key.\n\nPlease note that if you change 'A' to 'B' then 'Ctlr+A' will GET changed to 'Ctrl+B'. "
     "So 'A' will actually act like the 'B' key in all key combinations."},
    {IDC_TARGET_LIST, "Select from this list the key that will replace the selected key!"},
    {IDC_BLOCK_KEY,
     "As opposed to Disable Key this will completely BLOCK a key on your keyboard. All combinations that use "
     "this key will STOP working!\n\nFor this option to be enabled you have to select just ONE key and not a "
     "key combination."},
    {IDC_WITH_CTRL,
     "This will add the CTRL modifier to your selected key.\n\nFor example if you have selected the V key with "
     "the CTRL modifier you will get CTRL+V (witch will result in a Paste function in most programs)"},
    {IDC_WITH_ALT,
     "This will add the ALT modifer to your selected key.\n\nFor example if you have selected the F4 key with "
     "the Alt modifier you will get ALT+F4."},
    {IDC_WITH_SHIFT,
     "This will add the SHIFT modifier to your seleced key.\n\nFor example if you have selected the F1 key "
     "with the SHIFT modifier you will get SHIFT+F1"},
    {IDC_WHERE_EVERYWHERE, "The key or key combination will work the same way in every program."},
    {IDC_WHERE_ONLY_IN,
     "The key or key combination will work only while a window of one of the programs named here is in "
     "front.\n\nIn every other program the key does what it did before, or what the next combination with "
     "the same keys gives it."},
    {IDC_WHERE_NOT_IN,
     "The key or key combination will work in every program except the ones named here.\n\nIn those the key "
     "does what it did before, or what the next combination with the same keys gives it."},
    {IDC_WHERE_NAMES,
     "Enter here the programs by the file names of their executables, separated by commas, for example "
     "notepad.exe, code.exe. Capitals do not matter. At most 8 programs; their names take room from a text, "
     "which can then be shorter than 2999 characters."},
    {IDC_WHERE_OPEN_PROGRAMS,
     "Choose from this list a program that has a window open now to add it to the programs named here."},
    {IDC_WHERE_BROWSE, "Browse your hard drive and select the program to add to the programs named here."},
};

bool IsNameBlank(char c) { return c == ' ' || c == '\t'; }

// The name of `text` from `begin` to `end`, its blanks cut, as the next name of `where`.
WhereNamesResult TakeName(const char* begin, const char* end, CombinationWhere* where) {
    while (begin < end && IsNameBlank(*begin)) ++begin;
    while (end > begin && IsNameBlank(end[-1])) --end;
    if (begin == end) return WhereNamesRead;
    if (end - begin >= ProgramNameSize) return WhereNameTooLong;
    if (where->count == MaxWherePrograms) return WhereTooManyNames;
    char name[ProgramNameSize];
    std::memcpy(name, begin, static_cast<std::size_t>(end - begin));
    name[end - begin] = '\0';
    AddWhereName(where, name);
    return WhereNamesRead;
}

} // namespace

const char* const DefaultHelpText =
    "Hover your mouse over the buttons in this dialog to see here a description of what they do...";

const int WhereControls[WhereControlCount] = {IDC_WHERE_NAMES, IDC_WHERE_OPEN_PROGRAMS, IDC_WHERE_BROWSE};
const char* const WhereRefusalCaption = "Acts:";

const int ChoiceControls[ChoiceControlCount] = {
    IDC_TEXT_EDIT, IDC_PATH_EDIT, IDC_BROWSE, IDC_URL_EDIT,
    IDC_TARGET_LIST, IDC_WITH_CTRL, IDC_WITH_ALT, IDC_WITH_SHIFT,
};

char* KeyListEntry(int code, char* out, std::size_t capacity) {
    if (capacity == 0) return out;
    const char* name = code >= 0 && code < KeyCount ? KeyNameTable[code] : nullptr;
    std::snprintf(out, capacity, "%s  (code:%d)", name != nullptr ? name : NoKeyName, code);
    return out;
}

int KeyListEntryCode(const char* entry) {
    if (entry == nullptr) return -1;
    char text[KeyListEntrySize];
    CopyBounded(text, sizeof text, entry, sizeof text - 1);
    char* close = std::strrchr(text, ')');
    if (close != nullptr) *close = '\0';
    const char* number = std::strstr(text, "code:");
    if (number == nullptr) return -1;
    number += 5;
    if (*number < '0' || *number > '9') return -1;
    int code = 0;
    for (; *number >= '0' && *number <= '9'; ++number) {
        code = code * 10 + (*number - '0');
        if (code >= KeyCount) return -1;
    }
    return code;
}

bool KeyListOffers(int code) {
    if (code < 0 || code >= KeyCount) return false;
    if (code == 16 || code == 17 || code == 18) return false;
    char entry[KeyListEntrySize];
    KeyListEntry(code, entry, sizeof entry);
    return std::strstr(entry, "no-name") == nullptr;
}

bool HasAnyKey(const CombinationRecord* record) {
    for (int code = 0; code < KeyCount; ++code) {
        if (record->keys[code] != 0) return true;
    }
    return false;
}

int CaptureDialogFor(int methodResult) {
    if (methodResult == IDC_BY_TYPING) return IDD_TYPE_IN_CAPTURE;
    if (methodResult == IDCANCEL || methodResult <= 0) return 0;
    return IDD_MOUSE_SELECTION;
}

bool AddListedKey(CombinationRecord* record, const char* entry) {
    int code = KeyListEntryCode(entry);
    if (code < 0) return false;
    SetKeyDown(record->keys, code);
    return true;
}

void PrepareNewAction(CombinationEdit* edit) {
    edit->isNew = true;
    edit->record->payload[0] = '\0';
}

int ActionOfRadio(int controlId) {
    for (const RadioAction& entry : RadioActions) {
        if (entry.radio == controlId) return entry.action;
    }
    return -1;
}

int RadioOfAction(int action) {
    for (const RadioAction& entry : RadioActions) {
        if (entry.action == action) return entry.radio;
    }
    return 0;
}

int ArgumentControlOf(int action) {
    for (const RadioAction& entry : RadioActions) {
        if (entry.action == action) return entry.argument;
    }
    return 0;
}

bool ChoiceEnablesControl(int choice, int controlId) {
    switch (controlId) {
    case IDC_TEXT_EDIT: return choice == TypeText;
    case IDC_PATH_EDIT:
    case IDC_BROWSE: return choice == LaunchApplication;
    case IDC_URL_EDIT: return choice == GoToUrl;
    case IDC_TARGET_LIST:
    case IDC_WITH_CTRL:
    case IDC_WITH_ALT:
    case IDC_WITH_SHIFT: return choice == ChangeKey;
    default: return true;
    }
}

bool FinishRule(int choice, const char* argumentText) {
    if (choice == DisableCombination || choice == BlockKey) return true;
    if (choice < TypeText || choice > ChangeKey) return false;
    return argumentText != nullptr && argumentText[0] != '\0';
}

void PrepareActionChooser(const CombinationEdit* edit, ActionChooserOpening* view) {
    std::memset(view, 0, sizeof *view);
    const CombinationRecord* pending = edit->record;
    int action = pending->action;
    std::size_t n = TextLength(pending->payload);
    if (edit->isNew) {
        view->currentChoice = DisableCombination;
    } else {
        view->currentChoice = action;
        view->setFinish = true;
        view->finishEnabled =
            action == DisableCombination || action == BlockKey || (n > 0 && action != ChangeKey);
    }
    view->blockEnabled = IsSingleKey(pending->keys) != 0;
    view->checkedRadio = RadioOfAction(view->currentChoice);
    if (view->currentChoice == ChangeKey) {
        view->withCtrl = pending->payload[CtrlByte] != 0;
        view->withAlt = pending->payload[AltByte] != 0;
        view->withShift = pending->payload[ShiftByte] != 0;
    }
    int choice = view->currentChoice;
    if (choice == TypeText || choice == LaunchApplication || choice == GoToUrl) {
        view->textControl = ArgumentControlOf(choice);
        CopyBounded(view->text, sizeof view->text, pending->payload, n);
    }
    // A new combination acts everywhere, whatever an earlier edit left in the payload.
    CombinationWhere where;
    ClearWhere(&where);
    if (!edit->isNew) ReadWhere(pending, &where);
    view->whereRadio = where.kind == ActsOnlyIn ? IDC_WHERE_ONLY_IN
                       : where.kind == ActsNotIn ? IDC_WHERE_NOT_IN
                                                 : IDC_WHERE_EVERYWHERE;
    FormatWhereNames(&where, view->whereNames, sizeof view->whereNames);
}

void ApplyUrlRule(char* payload) {
    payload[PayloadTextMax] = '\0';
    // Blanks around a pasted address are no part of it.
    std::size_t start = 0;
    while (IsBlank(payload[start])) ++start;
    std::size_t end = std::strlen(payload);
    while (end > start && IsBlank(payload[end - 1])) --end;
    payload[end] = '\0';
    std::memmove(payload, payload + start, end - start + 1);
    if (AddressSchemeLength(payload) != 0) return;
    char url[PayloadSize];
    // "http://" with a text near the limit does not fit: the text is cut so
    // that the whole stays within 2999 characters.
    int length = std::snprintf(url, sizeof url, "http://%s", payload);
    if (length < 0) url[0] = '\0';
    CopyBounded(payload, PayloadSize, url, PayloadTextMax);
}

const char* const UrlRefusalCaption = "Go to URL:";

const char* UrlRefusal(const char* argumentText) {
    char address[PayloadSize];
    CopyBounded(address, sizeof address, argumentText, PayloadTextMax);
    ApplyUrlRule(address);
    if (IsWebAddress(address)) return nullptr;
    return "\"Go to URL:\" opens web pages only: an address that starts with http:// or https:// and holds no "
           "blanks or quotes.\n\nTo open a program, a document or any other kind of address, choose "
           "\"Launch Application:\" instead.";
}

int FoldTargetCode(int code) {
    // The generic codes go out as the left-hand keys; the right-hand ones are
    // kept, so that right Alt (AltGr) and right Ctrl and Shift can be chosen.
    if (code == 160) return 16;
    if (code == 162) return 17;
    if (code == 164) return 18;
    return code;
}

void ApplyTargetRule(const char* entry, bool ctrl, bool alt, bool shift, char* payload) {
    int code = KeyListEntryCode(entry);
    if (code < 0) code = 0;
    payload[TargetByte] = static_cast<char>(FoldTargetCode(code));
    payload[CtrlByte] = ctrl ? 1 : 0;
    payload[AltByte] = alt ? 1 : 0;
    payload[ShiftByte] = shift ? 1 : 0;
    payload[4] = 0;
}

void FinishChoice(CombinationEdit* edit, int choice, const char* argumentText, bool ctrl, bool alt,
                  bool shift, const CombinationWhere* where) {
    CombinationRecord* record = edit->record;
    char* payload = record->payload;
    record->action = static_cast<BYTE>(choice & 0xFF);
    edit->isNew = false;
    // Nothing of an earlier edit stays behind the new argument in the file.
    std::memset(payload, 0, PayloadSize);
    switch (record->action) {
    case TypeText:
    case LaunchApplication:
        CopyBounded(payload, PayloadSize, argumentText, PayloadTextMax);
        break;
    case GoToUrl:
        CopyBounded(payload, PayloadSize, argumentText, PayloadTextMax);
        ApplyUrlRule(payload);
        break;
    case ChangeKey:
        ApplyTargetRule(argumentText, ctrl, alt, shift, payload);
        break;
    default:
        break;
    }
    if (where == nullptr || where->kind == ActsEverywhere) return;
    int room = TextRoomFor(where);
    if (ActionBytesUsed(record, PayloadSize) > room + 1)
        std::memset(payload + room, 0, static_cast<std::size_t>(PayloadSize - room));
    WriteWhere(record, where);
}

int WhereOfRadio(int controlId) {
    switch (controlId) {
    case IDC_WHERE_EVERYWHERE: return ActsEverywhere;
    case IDC_WHERE_ONLY_IN: return ActsOnlyIn;
    case IDC_WHERE_NOT_IN: return ActsNotIn;
    default: return -1;
    }
}

bool WhereEnablesControls(int whereKind) { return whereKind == ActsOnlyIn || whereKind == ActsNotIn; }

WhereNamesResult ParseWhereNames(const char* text, int whereKind, CombinationWhere* where) {
    ClearWhere(where);
    where->kind = static_cast<BYTE>(WhereEnablesControls(whereKind) ? whereKind : ActsEverywhere);
    if (where->kind == ActsEverywhere || text == nullptr) return WhereNamesRead;
    // Quotes are no part of a name; a comma between them is.
    char name[ProgramNameSize];
    std::size_t n = 0;
    bool quoted = false;
    bool overflow = false;
    for (const char* p = text;; ++p) {
        if (*p == '\0' || (*p == ',' && !quoted)) {
            WhereNamesResult result = TakeName(name, name + n, where);
            if (overflow) result = WhereNameTooLong;
            if (result != WhereNamesRead) return result;
            if (*p == '\0') return WhereNamesRead;
            n = 0;
        } else if (*p == '"') {
            quoted = !quoted;
        } else if (n < sizeof name) {
            name[n++] = *p;
        } else if (!IsNameBlank(*p)) {
            overflow = true;
        }
    }
}

void FormatWhereNames(const CombinationWhere* where, char* out, std::size_t capacity) {
    if (capacity == 0) return;
    out[0] = '\0';
    std::size_t used = 0;
    for (int i = 0; i < where->count && used < capacity; ++i) {
        const char* quote = std::strchr(where->names[i], ',') != nullptr ? "\"" : "";
        used += static_cast<std::size_t>(std::snprintf(out + used, capacity - used, "%s%s%s%s", i ? ", " : "",
                                                       quote, where->names[i], quote));
    }
}

void AddWhereProgram(const char* given, const char* name, char* out, std::size_t capacity) {
    char text[WhereNamesTextSize]; // a copy: `out` may be the text itself
    CopyBounded(text, sizeof text, given, sizeof text - 1);
    CombinationWhere where;
    ParseWhereNames(text, ActsOnlyIn, &where);
    for (int i = 0; i < where.count; ++i) {
        if (SameProgramName(where.names[i], name)) {
            CopyBounded(out, capacity, text, capacity);
            return;
        }
    }
    // The text as the user wrote it, and the name after a comma.
    std::size_t end = std::strlen(text);
    while (end > 0 && (IsNameBlank(text[end - 1]) || text[end - 1] == ',')) --end;
    const char* quote = std::strchr(name, ',') != nullptr ? "\"" : "";
    std::snprintf(out, capacity, "%.*s%s%s%s%s", static_cast<int>(end), text, end ? ", " : "", quote, name, quote);
}

const char* WhereRefusal(int choice, const char* argumentText, int whereKind, const char* namesText,
                         char* buffer, std::size_t capacity) {
    CombinationWhere where;
    WhereNamesResult read = ParseWhereNames(namesText, whereKind, &where);
    if (where.kind == ActsEverywhere) return nullptr;
    if (read == WhereTooManyNames) {
        std::snprintf(buffer, capacity, "A key or key combination can name at most %d programs.", MaxWherePrograms);
        return buffer;
    }
    if (read == WhereNameTooLong) {
        std::snprintf(buffer, capacity, "A program's file name has at most %d characters.", ProgramNameSize - 1);
        return buffer;
    }
    if (where.count == 0) {
        std::snprintf(buffer, capacity,
                      "Name the programs by the file names of their executables, separated by commas, for "
                      "example notepad.exe, code.exe.");
        return buffer;
    }
    for (int i = 0; i < where.count; ++i) {
        if (!CanBeFileName(where.names[i])) {
            std::snprintf(buffer, capacity,
                          "\"%s\" cannot be the file name of a program: a file name has none of \\ / : * ? \" "
                          "< > |, does not end with a blank or a dot, and is no device name such as CON.",
                          where.names[i]);
            return buffer;
        }
    }
    // The text as Finish would store it, beside the room the names take.
    CombinationRecord stored;
    CombinationEdit scratch = {&stored, false, {}};
    FinishChoice(&scratch, choice, argumentText, false, false, false);
    int length = ActionBytesUsed(&stored, PayloadSize) - 1;
    int room = TextRoomFor(&where);
    if (length <= room) return nullptr;
    std::snprintf(buffer, capacity,
                  "With these programs the text can have at most %d characters; it has %d. Shorten the text, or "
                  "name fewer programs.",
                  room, length);
    return buffer;
}

const char* QuickHelpText(int controlId) {
    for (const HelpEntry& entry : HelpTable) {
        if (entry.id == controlId) return entry.text;
    }
    return DefaultHelpText;
}
