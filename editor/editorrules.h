// The rules of the combination editor, free of any window: key-list entries,
// the wizard's steps, the action chooser's enable, Finish, URL and target
// rules, and the Quick Help texts. The dialogs only move values between their
// controls and these functions.
#pragma once

#include <cstddef>

#include "editor.h"
#include "mappingfile.h"
#include "programwhere.h"

const int KeyListEntrySize = 300;
const int PayloadTextMax = PayloadSize - 1; // 2999 characters and the terminator

// Key lists --------------------------------------------------------------

// "<name>  (code:<code>)" cut to `capacity`; returns `out`.
char* KeyListEntry(int code, char* out, std::size_t capacity);
// The code of an entry: the text is cut at its last ')', then the decimal
// number after the first "code:" is read. -1 when there is none or it is
// not a key code (0-255).
int KeyListEntryCode(const char* entry);
// The lists offer every named key except the generic Shift, Ctrl and Alt.
bool KeyListOffers(int code);
// True when any of the 256 bytes of the record's keys is nonzero.
bool HasAnyKey(const CombinationRecord* record);

// Capture wizard ---------------------------------------------------------

// The key dialog that follows the selection method's result: the typed
// capture (141) for 1033, the mouse selection (142) for any other choice,
// 0 (stop) for Cancel or a dialog that could not be shown.
int CaptureDialogFor(int methodResult);
// What the mouse dialog's "Add selected key" does with the chosen entry:
// false when the entry names no key (nothing changes).
bool AddListedKey(CombinationRecord* record, const char* entry);
// A new combination has no action yet and an empty text; the payload bytes
// after the first are left as they are.
void PrepareNewAction(CombinationEdit* edit);

// Action chooser ---------------------------------------------------------

// ActionKind of a radio button, -1 for any other control.
int ActionOfRadio(int controlId);
// Radio button of an ActionKind, 0 when the action has none.
int RadioOfAction(int action);
// Control holding the argument of an action (1012, 1013, 1014, 1028), 0 when
// the action takes none.
int ArgumentControlOf(int action);

// The controls whose enabled state follows the current choice.
const int ChoiceControlCount = 8;
extern const int ChoiceControls[ChoiceControlCount];
bool ChoiceEnablesControl(int choice, int controlId);

// Finish after any command: always for Disable and BLOCK, for the other
// actions only with a non-empty argument.
bool FinishRule(int choice, const char* argumentText);

// The names box: room for every name, quoted, with its comma and blank.
const std::size_t WhereNamesTextSize = MaxWherePrograms * (ProgramNameSize + 4);

// What the dialog shows when it opens on a combination.
struct ActionChooserOpening {
    int currentChoice;
    bool setFinish;     // false: Finish keeps its template state (enabled)
    bool finishEnabled;
    bool blockEnabled;
    int checkedRadio;   // 0: none (an action outside 0-5)
    bool withCtrl;
    bool withAlt;
    bool withShift;
    int textControl;    // 1012, 1013 or 1014 gets `text`; 0: none
    char text[PayloadSize];
    int whereRadio;     // IDC_WHERE_EVERYWHERE, _ONLY_IN or _NOT_IN
    char whereNames[WhereNamesTextSize];
};
void PrepareActionChooser(const CombinationEdit* edit, ActionChooserOpening* view);

// Cuts the blanks around a 3000-byte payload text and puts "http://" in
// front of it when it has no scheme of its own ("https://x" keeps its own,
// "localhost:8080" is a host and port); the result is cut to 2999 characters.
void ApplyUrlRule(char* payload);
// Why Finish refuses a "Go to URL:" text that the URL rule does not make an
// address that Quillon opens (a program, a file, another scheme); null when
// it is one.
const char* UrlRefusal(const char* argumentText);
extern const char* const UrlRefusalCaption;
// The generic code of a left-hand modifier (160, 162, 164); the right-hand
// ones and any other code unchanged.
int FoldTargetCode(int code);
// Writes a ChangeKey payload: target, ctrl, alt, shift, 0.
void ApplyTargetRule(const char* entry, bool ctrl, bool alt, bool shift, char* payload);
// Finish: stores the choice (its low byte), its argument and where it acts
// (null: everywhere) in the record; the combination has an action from then
// on. A text is cut to what leaves room for the where.
void FinishChoice(CombinationEdit* edit, int choice, const char* argumentText, bool ctrl, bool alt,
                  bool shift, const CombinationWhere* where = nullptr);

// Where the combination acts ---------------------------------------------

// WhereKind of a radio button, -1 for any other control.
int WhereOfRadio(int controlId);
// The names box, the list of open programs and its "..." are enabled
// exactly when the combination acts not everywhere.
const int WhereControlCount = 3;
extern const int WhereControls[WhereControlCount];
bool WhereEnablesControls(int whereKind);
// The names box's text: names separated by commas, one with a comma of its
// own in double quotes; blanks around a name are no part of it, and empty
// names are skipped. On a failure `where` holds the names before it.
enum WhereNamesResult { WhereNamesRead, WhereTooManyNames, WhereNameTooLong };
WhereNamesResult ParseWhereNames(const char* text, int whereKind, CombinationWhere* where);
// The names of `where` as the names box shows them ("a.exe, b.exe").
void FormatWhereNames(const CombinationWhere* where, char* out, std::size_t capacity);
// The names box's text with `name` added at its end, unless it names it
// already; cut to `capacity`. `out` may be `text`.
void AddWhereProgram(const char* text, const char* name, char* out, std::size_t capacity);
// Why Finish refuses the where of the names box for this choice and
// argument (no names, too many, a name that cannot be a program's file
// name, a text that leaves no room for them); null when it takes it. The
// text is formed in `buffer`.
const char* WhereRefusal(int choice, const char* argumentText, int whereKind, const char* namesText,
                         char* buffer, std::size_t capacity);
extern const char* const WhereRefusalCaption;

extern const char* const DefaultHelpText;
// The Quick Help text of a control; the default text for any other id.
const char* QuickHelpText(int controlId);
