#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editorrules.h"
#include "keynames.h"
#include "keystate.h"
#include "resource.h"

namespace {

class EditorRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitKeyNames();
        std::memset(&PendingCombination, 0, sizeof PendingCombination);
        edit = {&PendingCombination, false, {}};
    }
    CombinationEdit edit;
    static void SetKeys(std::initializer_list<int> codes)
    {
        ClearKeys(PendingCombination.keys);
        for (int code : codes)
            SetKeyDown(PendingCombination.keys, code);
    }
    static std::string Entry(int code)
    {
        char entry[KeyListEntrySize];
        return KeyListEntry(code, entry, sizeof entry);
    }
};

const int AllChoices[] = {DisableCombination, TypeText, LaunchApplication, GoToUrl, ChangeKey, BlockKey, 9, -1};

} // namespace

TEST_F(EditorRules, KeyListEntriesReadBackToTheirCode)
{
    EXPECT_EQ(Entry(65), "A  (code:65)");
    EXPECT_EQ(Entry(107), "+  (code:107)");
    EXPECT_EQ(Entry(162), "Left.Ctrl  (code:162)");
    EXPECT_EQ(Entry(7), "<no-name>  (code:7)");
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(KeyListEntryCode(Entry(code).c_str()), code) << code;
}

TEST_F(EditorRules, KeyListEntryCodeReading)
{
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"A  (code:65)", 65},     {"A  (code:65", 65},          {"code:5 (code:6)", 5},
        {"x  (code:12) junk)", 12}, {"A  (code:)", -1},         {"A", -1},
        {"", -1},                 {"A  (code:256)", -1},        {"A  (code:-3)", -1},
        {"Z  (code:9", 9},        {"A  (code:99999999999)", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyListEntryCode(c.text), c.code) << c.text;
    EXPECT_EQ(KeyListEntryCode(nullptr), -1);
    // A text longer than an entry's buffer is read only within it.
    std::string longText(1000, 'x');
    longText += "(code:65)";
    EXPECT_EQ(KeyListEntryCode(longText.c_str()), -1);
}

TEST_F(EditorRules, KeyListsOfferNamedKeysButNotTheGenericModifiers)
{
    int offered = 0;
    for (int code = 0; code < 256; ++code) {
        bool named = std::strstr(KeyNameTable[code], "no-name") == nullptr;
        bool generic = code == 16 || code == 17 || code == 18;
        EXPECT_EQ(KeyListOffers(code), named && !generic) << code;
        offered += KeyListOffers(code) ? 1 : 0;
    }
    EXPECT_EQ(offered, 152 - 3);
    for (int code = 160; code <= 165; ++code)
        EXPECT_TRUE(KeyListOffers(code)) << code;
    EXPECT_FALSE(KeyListOffers(-1));
    EXPECT_FALSE(KeyListOffers(256));
}

TEST_F(EditorRules, WizardSteps)
{
    EXPECT_EQ(CaptureDialogFor(IDC_BY_TYPING), IDD_TYPE_IN_CAPTURE);
    EXPECT_EQ(CaptureDialogFor(IDC_BY_MOUSE), IDD_MOUSE_SELECTION);
    EXPECT_EQ(CaptureDialogFor(IDCANCEL), 0);
    EXPECT_EQ(CaptureDialogFor(-1), 0); // the dialog could not be shown
    EXPECT_EQ(CaptureDialogFor(0), 0);

    std::memset(PendingCombination.payload, 'q', sizeof PendingCombination.payload);
    PendingCombination.action = TypeText;
    PrepareNewAction(&edit);
    EXPECT_TRUE(edit.isNew);
    EXPECT_EQ(PendingCombination.payload[0], '\0');
    EXPECT_EQ(PendingCombination.payload[1], 'q');
}

TEST_F(EditorRules, AddingListedKeys)
{
    EXPECT_FALSE(HasAnyKey(&PendingCombination));
    ASSERT_TRUE(AddListedKey(&PendingCombination, "A  (code:65)"));
    BYTE once[256];
    std::memcpy(once, PendingCombination.keys, sizeof once);
    ASSERT_TRUE(AddListedKey(&PendingCombination, "A  (code:65)"));
    EXPECT_EQ(std::memcmp(once, PendingCombination.keys, sizeof once), 0);
    EXPECT_TRUE(HasAnyKey(&PendingCombination));

    SetKeys({});
    ASSERT_TRUE(AddListedKey(&PendingCombination, "L.Shift  (code:160)"));
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(PendingCombination.keys[code], code == 16 || code == 160 ? 0x80 : 0) << code;
    char text[3000];
    EXPECT_STREQ(GetCombinationText(PendingCombination.keys, text, sizeof text), "L.Shift");

    SetKeys({});
    EXPECT_FALSE(AddListedKey(&PendingCombination, "no code here"));
    EXPECT_FALSE(HasAnyKey(&PendingCombination));
    PendingCombination.keys[255] = 1;
    EXPECT_TRUE(HasAnyKey(&PendingCombination));
}

TEST_F(EditorRules, EnableTableFollowsTheChoice)
{
    const struct {
        int control;
        int enablingChoice;
    } table[] = {
        {IDC_TEXT_EDIT, TypeText},         {IDC_PATH_EDIT, LaunchApplication}, {IDC_BROWSE, LaunchApplication},
        {IDC_URL_EDIT, GoToUrl},           {IDC_TARGET_LIST, ChangeKey},       {IDC_WITH_CTRL, ChangeKey},
        {IDC_WITH_ALT, ChangeKey},         {IDC_WITH_SHIFT, ChangeKey},
    };
    ASSERT_EQ(sizeof table / sizeof table[0], static_cast<std::size_t>(ChoiceControlCount));
    for (const auto& row : table) {
        bool listed = false;
        for (int id : ChoiceControls)
            listed = listed || id == row.control;
        EXPECT_TRUE(listed) << row.control;
        for (int choice : AllChoices)
            EXPECT_EQ(ChoiceEnablesControl(choice, row.control), choice == row.enablingChoice)
                << row.control << " " << choice;
    }
}

TEST_F(EditorRules, RadiosActionsAndArguments)
{
    const struct {
        int radio;
        int action;
        int argument;
    } table[] = {
        {IDC_DISABLE_ACTION, DisableCombination, 0}, {IDC_TYPE_TEXT, TypeText, IDC_TEXT_EDIT},
        {IDC_LAUNCH_APP, LaunchApplication, IDC_PATH_EDIT}, {IDC_GO_TO_URL, GoToUrl, IDC_URL_EDIT},
        {IDC_CHANGE_KEY, ChangeKey, IDC_TARGET_LIST},  {IDC_BLOCK_KEY, BlockKey, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(ActionOfRadio(row.radio), row.action);
        EXPECT_EQ(RadioOfAction(row.action), row.radio);
        EXPECT_EQ(ArgumentControlOf(row.action), row.argument);
    }
    EXPECT_EQ(ActionOfRadio(IDOK), -1);
    EXPECT_EQ(ActionOfRadio(IDC_TARGET_LIST), -1);
    EXPECT_EQ(RadioOfAction(9), 0);
    EXPECT_EQ(ArgumentControlOf(9), 0);
}

TEST_F(EditorRules, FinishRuleForEveryChoice)
{
    const struct {
        int choice;
        bool empty, nonEmpty;
    } table[] = {
        {DisableCombination, true, true}, {TypeText, false, true}, {LaunchApplication, false, true},
        {GoToUrl, false, true},           {ChangeKey, false, true}, {BlockKey, true, true},
        {9, false, false},                {-1, false, false},
    };
    for (const auto& row : table) {
        EXPECT_EQ(FinishRule(row.choice, ""), row.empty) << row.choice;
        EXPECT_EQ(FinishRule(row.choice, "x"), row.nonEmpty) << row.choice;
        EXPECT_EQ(FinishRule(row.choice, nullptr), row.empty) << row.choice;
    }
}

TEST_F(EditorRules, OpeningOnEveryStoredAction)
{
    const struct {
        int action;
        const char* payload;
        int radio;
        bool finish;
        int textControl;
    } table[] = {
        {DisableCombination, "", IDC_DISABLE_ACTION, true, 0},
        {DisableCombination, "left", IDC_DISABLE_ACTION, true, 0},
        {TypeText, "", IDC_TYPE_TEXT, false, IDC_TEXT_EDIT},
        {TypeText, "hi\r\nthere", IDC_TYPE_TEXT, true, IDC_TEXT_EDIT},
        {LaunchApplication, "", IDC_LAUNCH_APP, false, IDC_PATH_EDIT},
        {LaunchApplication, "C:\\calc.exe", IDC_LAUNCH_APP, true, IDC_PATH_EDIT},
        {GoToUrl, "", IDC_GO_TO_URL, false, IDC_URL_EDIT},
        {GoToUrl, "http://x", IDC_GO_TO_URL, true, IDC_URL_EDIT},
        {ChangeKey, "", IDC_CHANGE_KEY, false, 0},
        {ChangeKey, "A\1\0\1", IDC_CHANGE_KEY, false, 0},
        {BlockKey, "", IDC_BLOCK_KEY, true, 0},
        {BlockKey, "x", IDC_BLOCK_KEY, true, 0},
        {9, "", 0, false, 0},
        {9, "damaged", 0, true, 0},
    };
    static ActionChooserOpening view;
    for (const auto& row : table) {
        std::memset(PendingCombination.payload, 0, sizeof PendingCombination.payload);
        std::memcpy(PendingCombination.payload, row.payload, std::strlen(row.payload) + 1);
        PendingCombination.action = static_cast<BYTE>(row.action);
        PrepareActionChooser(&edit, &view);
        EXPECT_EQ(view.currentChoice, row.action);
        EXPECT_TRUE(view.setFinish);
        EXPECT_EQ(view.finishEnabled, row.finish) << row.action << " " << row.payload;
        EXPECT_EQ(view.checkedRadio, row.radio);
        EXPECT_EQ(view.textControl, row.textControl);
        EXPECT_STREQ(view.text, row.textControl != 0 ? row.payload : "");
    }
}

TEST_F(EditorRules, OpeningNewCombinationAndChangeKeyModifiers)
{
    static ActionChooserOpening view;
    edit.isNew = true;
    std::strcpy(PendingCombination.payload, "leftover");
    PrepareActionChooser(&edit, &view);
    EXPECT_EQ(view.currentChoice, DisableCombination);
    EXPECT_FALSE(view.setFinish); // the template's enabled Finish stays
    EXPECT_EQ(view.checkedRadio, IDC_DISABLE_ACTION);
    EXPECT_EQ(view.textControl, 0);

    const struct {
        char ctrl, alt, shift;
    } modifiers[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}, {0, 0, 0}, {7, 0, 2}};
    edit.isNew = false;
    for (const auto& m : modifiers) {
        PendingCombination.action = ChangeKey;
        const char payload[] = {65, m.ctrl, m.alt, m.shift, 0};
        std::memcpy(PendingCombination.payload, payload, sizeof payload);
        PrepareActionChooser(&edit, &view);
        EXPECT_EQ(view.withCtrl, m.ctrl != 0);
        EXPECT_EQ(view.withAlt, m.alt != 0);
        EXPECT_EQ(view.withShift, m.shift != 0);
        EXPECT_FALSE(view.finishEnabled);
    }
    // Modifier bytes of another action are not read as check marks.
    PendingCombination.action = TypeText;
    std::memcpy(PendingCombination.payload, "A\1\1\1", 5);
    PrepareActionChooser(&edit, &view);
    EXPECT_FALSE(view.withCtrl || view.withAlt || view.withShift);
}

TEST_F(EditorRules, BlockIsOfferedForASingleKeyOnly)
{
    static ActionChooserOpening view;
    const struct {
        std::initializer_list<int> keys;
        bool single;
    } table[] = {
        {{162}, true}, {{65}, true}, {{65, 162}, false}, {{}, false}, {{160, 161}, false}, {{165}, true},
    };
    for (const auto& row : table) {
        SetKeys(row.keys);
        edit.isNew = true;
        PrepareActionChooser(&edit, &view);
        EXPECT_EQ(view.blockEnabled, row.single);
    }
}

TEST_F(EditorRules, OpeningTextOfAnUnterminatedPayloadIsCut)
{
    static ActionChooserOpening view;
    PendingCombination.action = TypeText;
    std::memset(PendingCombination.payload, 'z', sizeof PendingCombination.payload);
    PrepareActionChooser(&edit, &view);
    EXPECT_EQ(std::strlen(view.text), static_cast<std::size_t>(PayloadTextMax));
}

TEST_F(EditorRules, UrlRule)
{
    const struct {
        const char* entered;
        const char* stored;
        bool refused; // Finish says why and stores nothing
    } table[] = {
        {"example.com", "http://example.com", false},
        {"http://example.com", "http://example.com", false},
        {"see http://example.com/", "http://see http://example.com/", true},
        {"https://example.com", "https://example.com", false},
        {"HTTP://EXAMPLE.COM", "HTTP://EXAMPLE.COM", false},
        {"http:/x", "http:/x", false},
        {"localhost:8080/x", "http://localhost:8080/x", false},
        {" \thttps://example.test/x  ", "https://example.test/x", false},
        {"file:///C:/x.exe", "file:///C:/x.exe", true},
        {"", "http://", false},
    };
    for (const auto& row : table) {
        char payload[PayloadSize];
        std::strcpy(payload, row.entered);
        ApplyUrlRule(payload);
        EXPECT_STREQ(payload, row.stored);
        EXPECT_EQ(UrlRefusal(row.entered) != nullptr, row.refused) << row.entered;
    }
    EXPECT_NE(std::strstr(UrlRefusal("ftp://x"), "\"Launch Application:\""), nullptr);
}

TEST_F(EditorRules, UrlRuleAlwaysFitsThePayload)
{
    for (std::size_t length : {2991u, 2992u, 2993u, 2999u}) {
        char payload[PayloadSize];
        std::memset(payload, 0, sizeof payload);
        std::memset(payload, 'a', length);
        ApplyUrlRule(payload);
        std::size_t stored = std::strlen(payload);
        EXPECT_EQ(stored, length + 7 > 2999 ? 2999u : length + 7) << length;
        EXPECT_EQ(std::string(payload, 7), "http://");
        EXPECT_EQ(std::string(payload + 7), std::string(stored - 7, 'a'));
    }
    // Not terminated at all: read within the payload only.
    char payload[PayloadSize];
    std::memset(payload, 'b', sizeof payload);
    ApplyUrlRule(payload);
    EXPECT_EQ(std::strlen(payload), 2999u);
}

TEST_F(EditorRules, TargetRuleStoresLeftModifiersGenericAndRightOnesAsChosen)
{
    const struct {
        int code;
        int stored;
    } table[] = {
        {160, 16}, {161, 161}, {162, 17}, {163, 163}, {164, 18}, {165, 165},
        {65, 65},  {112, 112}, {91, 91}, {255, 255}, {8, 8},
    };
    for (const auto& row : table) {
        EXPECT_EQ(FoldTargetCode(row.code), row.stored);
        char payload[PayloadSize];
        std::memset(payload, 'x', sizeof payload);
        ApplyTargetRule(Entry(row.code).c_str(), true, false, true, payload);
        EXPECT_EQ(static_cast<BYTE>(payload[TargetByte]), row.stored) << Entry(row.code);
        EXPECT_EQ(payload[CtrlByte], 1);
        EXPECT_EQ(payload[AltByte], 0);
        EXPECT_EQ(payload[ShiftByte], 1);
        EXPECT_EQ(payload[4], 0);
        EXPECT_EQ(payload[5], 'x');
    }
    char payload[PayloadSize];
    ApplyTargetRule("A  (code:65)", false, true, false, payload);
    EXPECT_EQ(payload[CtrlByte], 0);
    EXPECT_EQ(payload[AltByte], 1);
    EXPECT_EQ(payload[ShiftByte], 0);
}

TEST_F(EditorRules, FinishStoresEachChoice)
{
    std::string longText(3500, 'L');
    const struct {
        int choice;
        std::string argument;
        std::string stored;
    } table[] = {
        {DisableCombination, "ignored", ""},
        {BlockKey, "ignored", ""},
        {TypeText, "two\r\nlines", "two\r\nlines"},
        {TypeText, longText, longText.substr(0, 2999)},
        {LaunchApplication, "C:\\windows\\notepad.exe", "C:\\windows\\notepad.exe"},
        {GoToUrl, "example.org", "http://example.org"},
        {GoToUrl, "a http://b", "http://a http://b"},
        {GoToUrl, "HTTPS://b", "HTTPS://b"},
        {GoToUrl, longText, "http://" + longText.substr(0, 2992)},
        {9, "x", ""},
    };
    for (const auto& row : table) {
        std::memset(PendingCombination.payload, 'p', sizeof PendingCombination.payload);
        edit.isNew = true;
        FinishChoice(&edit, row.choice, row.argument.c_str(), true, true, true);
        EXPECT_EQ(PendingCombination.action, row.choice);
        EXPECT_FALSE(edit.isNew);
        EXPECT_EQ(std::string(PendingCombination.payload), row.stored) << row.choice;
        // Nothing of an earlier edit stays after the text.
        EXPECT_EQ(PendingCombination.payload[PayloadSize - 1], 0) << row.choice;
        if (row.stored.size() + 1 < PayloadSize) {
            EXPECT_EQ(PendingCombination.payload[row.stored.size() + 1], 0);
        }
    }
    FinishChoice(&edit, ChangeKey, "Right.Alt  (code:165)", false, false, true);
    EXPECT_EQ(PendingCombination.action, ChangeKey);
    const char expected[] = {static_cast<char>(165), 0, 0, 1, 0};
    EXPECT_EQ(std::memcmp(PendingCombination.payload, expected, sizeof expected), 0);
    FinishChoice(&edit, 0x100 + BlockKey, "", false, false, false); // only the low byte is stored
    EXPECT_EQ(PendingCombination.action, BlockKey);
}

TEST_F(EditorRules, QuickHelpTexts)
{
    const int ids[] = {1,    2,    1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1027,
                       1028, 1029, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047};
    for (std::size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) {
        EXPECT_STRNE(QuickHelpText(ids[i]), DefaultHelpText) << ids[i];
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_STRNE(QuickHelpText(ids[i]), QuickHelpText(ids[j])) << ids[i] << " " << ids[j];
    }
    for (int id : {0, -1, -2, -20, 1030, 1031, 3, 1016})
        EXPECT_STREQ(QuickHelpText(id), DefaultHelpText) << id;
    EXPECT_STREQ(DefaultHelpText,
                 "Hover your mouse over the buttons in this dialog to see here a description of what they do...");
    EXPECT_STREQ(QuickHelpText(IDOK),
                 "Finish will accept all your settings and the key function will be come active immediately.");
    EXPECT_STREQ(QuickHelpText(IDC_WITH_ALT),
                 "This will add the ALT modifer to your selected key.\n\nFor example if you have selected the F4 "
                 "key with the Alt modifier you will get ALT+F4.");
    // The texts with paragraphs carry exactly one blank line, as line feeds.
    for (int id : {1008, 1027, 1029, 1039, 1040, 1041}) {
        std::string text = QuickHelpText(id);
        EXPECT_EQ(text.find("\n\n"), text.rfind("\n\n")) << id;
        EXPECT_NE(text.find("\n\n"), std::string::npos) << id;
        EXPECT_EQ(text.find('\r'), std::string::npos) << id;
    }
}

TEST_F(EditorRules, WhereNamesAreReadAndRefusedAsAUserWouldExpect)
{
    const std::string longText(2987, 't');
    const std::string longName = std::string(256, 'n') + ",a";
    const struct {
        int kind;
        const char* names;
        const char* argument; // of a text
        const char* refusal;  // nullptr: taken
    } table[] = {
        {ActsEverywhere, "a:b", "x", nullptr},
        {ActsOnlyIn, " notepad.exe ,, Code.exe,", "x", nullptr},
        {ActsNotIn, "\"a,b.exe\", c d.exe", "x", nullptr},
        {ActsOnlyIn, " , ", "x", "Name the programs"},
        {ActsOnlyIn, "a,b,c,d,e,f,g,h,i", "x", "at most 8 programs"},
        {ActsOnlyIn, longName.c_str(), "x", "at most 255 characters"},
        {ActsNotIn, "x.exe, note:pad.exe", "x", "\"note:pad.exe\" cannot be the file name"},
        {ActsOnlyIn, "a.exe", longText.c_str(), "at most 2981 characters; it has 2987"},
    };
    for (const auto& row : table) {
        char buffer[400];
        const char* refusal = WhereRefusal(TypeText, row.argument, row.kind, row.names, buffer, sizeof buffer);
        const std::string said = refusal ? refusal : "(taken)";
        EXPECT_NE(said.find(row.refusal ? row.refusal : "(taken)"), std::string::npos) << row.names << ": " << said;
    }
    char names[200];
    AddWhereProgram("notepad.exe, ", "CODE.exe", names, sizeof names);
    EXPECT_STREQ(names, "notepad.exe, CODE.exe");
    AddWhereProgram(names, "Notepad.EXE", names, sizeof names);
    EXPECT_STREQ(names, "notepad.exe, CODE.exe") << "a name is there once";
    AddWhereProgram("", "a,b.exe", names, sizeof names);
    AddWhereProgram(names, "d.exe", names, sizeof names); // as the chooser calls it
    EXPECT_STREQ(names, "\"a,b.exe\", d.exe");
}

TEST_F(EditorRules, FinishStoresTheWhereAndTheChooserShowsItAgain)
{
    static ActionChooserOpening view;
    CombinationWhere where;
    ParseWhereNames("\"a,b.exe\", game.exe", ActsNotIn, &where);
    FinishChoice(&edit, TypeText, std::string(2999, 'L').c_str(), false, false, false, &where);
    PrepareActionChooser(&edit, &view);
    EXPECT_EQ(view.whereRadio, IDC_WHERE_NOT_IN);
    EXPECT_STREQ(view.whereNames, "\"a,b.exe\", game.exe");
    EXPECT_EQ(std::strlen(view.text), static_cast<std::size_t>(TextRoomFor(&where))) << "cut to leave room";
    edit.isNew = true;
    PrepareActionChooser(&edit, &view);
    EXPECT_EQ(view.whereRadio, IDC_WHERE_EVERYWHERE) << "a new combination acts everywhere";
    FinishChoice(&edit, ChangeKey, "B  (code:66)", false, false, false, nullptr);
    PrepareActionChooser(&edit, &view);
    EXPECT_EQ(view.whereRadio, IDC_WHERE_EVERYWHERE) << "Finish with everywhere clears the where";
}
