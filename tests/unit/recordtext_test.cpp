#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "keynames.h"
#include "programwhere.h"
#include "recordtext.h"

namespace {

CombinationRecord Record(BYTE action, const char* text = "")
{
    CombinationRecord record;
    std::memset(&record, 0, sizeof record);
    record.action = action;
    std::snprintf(record.payload, sizeof record.payload, "%s", text);
    return record;
}

CombinationRecord ChangeKeyRecord(BYTE target, BYTE ctrl, BYTE alt, BYTE shift)
{
    CombinationRecord record = Record(ChangeKey);
    record.payload[TargetByte] = static_cast<char>(target);
    record.payload[CtrlByte] = static_cast<char>(ctrl);
    record.payload[AltByte] = static_cast<char>(alt);
    record.payload[ShiftByte] = static_cast<char>(shift);
    return record;
}

std::string FunctionText(const CombinationRecord& record, std::size_t capacity = RowTextSize)
{
    std::vector<char> out(capacity + 16, 'x');
    FormatFunctionText(&record, out.data(), capacity);
    return out.data();
}

const CombinationWhere NotepadAndCode = {ActsOnlyIn, 2, {"notepad.exe", "Code.exe"}};
const CombinationWhere NotInGame = {ActsNotIn, 1, {"game.exe"}};
const CombinationWhere Everywhere = {ActsEverywhere, 0, {}};

class RowTexts : public ::testing::Test {
protected:
    void SetUp() override { InitKeyNames(); }
};

} // namespace

TEST_F(RowTexts, FunctionTextByActionKind)
{
    const struct {
        BYTE action;
        const char* payload;
        const char* expected;
        const CombinationWhere* where = nullptr;
    } cases[] = {
        {DisableCombination, "left over", "DISABLE KEY COMBINATION! "},
        {TypeText, "Hello, world", "Type Text: Hello, world"},
        {LaunchApplication, "C:\\Tools\\calc.exe", "Launch Application: C:\\Tools\\calc.exe"},
        {GoToUrl, "http://example.org/", "Go to URL: http://example.org/"},
        {BlockKey, "left over", "Completely BLOCK Key! "},
        {6, "odd", "<unknown function> odd"},
        {255, "", "<unknown function> "},
        {TypeText, "hi", "Type Text: hi (only in notepad.exe, Code.exe)", &NotepadAndCode},
        {BlockKey, "", "Completely BLOCK Key!  (not in game.exe)", &NotInGame},
    };
    for (const auto& c : cases) {
        const CombinationRecord plain = Record(c.action, c.payload);
        CombinationRecord record = plain;
        ASSERT_TRUE(!c.where || WriteWhere(&record, c.where));
        EXPECT_EQ(FunctionText(record), c.expected) << int(c.action);
        if (!c.where)
            continue;
        // What an older reader sees is the action alone, zeros up to the where.
        const int start = WhereStart(&record);
        EXPECT_EQ(std::memcmp(&plain, &record, 257 + static_cast<std::size_t>(start)), 0);
        // Leftovers of an older editor holding the very bytes of a where, but
        // one byte off: the marker, the fields and the check refuse them.
        for (int at = start; at < PayloadSize; ++at) {
            CombinationRecord leftover = record;
            leftover.payload[at] ^= 0x20;
            EXPECT_EQ(WhereStart(&leftover), PayloadSize) << at;
        }
        ASSERT_TRUE(WriteWhere(&record, &Everywhere));
        EXPECT_EQ(std::memcmp(&plain, &record, RecordSize), 0) << "clearing leaves the record as it was";
    }
}

TEST_F(RowTexts, ChangeKeyNamesModifiersInFixedOrder)
{
    const struct {
        BYTE ctrl, alt, shift;
        const char* expected;
    } cases[] = {
        {0, 0, 0, "Change Key To:  F5"},
        {1, 0, 1, "Change Key To:  Ctrl + Shift + F5"},
        {0, 1, 1, "Change Key To:  Alt + Shift + F5"},
        {1, 1, 0, "Change Key To:  Ctrl + Alt + F5"},
        {1, 1, 1, "Change Key To:  Ctrl + Alt + Shift + F5"},
        {7, 200, 1, "Change Key To:  Ctrl + Alt + Shift + F5"}, // any non-zero byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(FunctionText(ChangeKeyRecord(116, c.ctrl, c.alt, c.shift)), c.expected);
}

TEST_F(RowTexts, DescribeTargetKeyTakesAltBeforeCtrlButWritesCtrlFirst)
{
    EXPECT_STREQ(DescribeTargetKey(65, /*alt*/ 1, /*ctrl*/ 0, /*shift*/ 0), "Alt + A");
    EXPECT_STREQ(DescribeTargetKey(65, 0, 1, 0), "Ctrl + A");
    EXPECT_STREQ(DescribeTargetKey(7, 0, 0, 0), NoKeyName); // a code without a name
}

TEST_F(RowTexts, LongPayloadIsCutToTheBuffer)
{
    CombinationRecord record = Record(TypeText);
    std::memset(record.payload, 'p', PayloadSize - 1);
    record.payload[PayloadSize - 1] = '\0';
    std::string text = FunctionText(record);
    EXPECT_EQ(text.size(), static_cast<std::size_t>(RowTextSize - 1));
    EXPECT_EQ(text.compare(0, 11, "Type Text: "), 0);

    // A small buffer gets a cut text, terminated within its bounds.
    EXPECT_EQ(FunctionText(record, 12), "Type Text: ");
}

TEST_F(RowTexts, UnterminatedPayloadIsNeverReadPastItsField)
{
    CombinationRecord record = Record(GoToUrl);
    std::memset(record.payload, 'u', PayloadSize); // no terminator at all
    std::string text = FunctionText(record, RowTextSize + 100);
    EXPECT_EQ(text.size(), std::strlen("Go to URL: ") + PayloadSize);
}

TEST_F(RowTexts, KeyTextIsTheCombinationText)
{
    CombinationRecord record = Record(BlockKey);
    record.keys[65] = 0x80;
    char out[RowTextSize];
    FormatKeyText(&record, out, sizeof out);
    EXPECT_STREQ(out, "A");
}

TEST_F(RowTexts, ALongTextIsCutBeforeTheWhereAndCannotReachIntoIt)
{
    CombinationRecord text = Record(TypeText);
    std::memset(text.payload, 't', TextRoomFor(&NotepadAndCode));
    ASSERT_TRUE(WriteWhere(&text, &NotepadAndCode));
    std::string row = FunctionText(text, 200);
    EXPECT_EQ(row.substr(row.size() - 9), "Code.exe)") << row;
    text.payload[TextRoomFor(&NotepadAndCode)] = 't';
    EXPECT_EQ(WhereStart(&text), PayloadSize) << "the names must lie behind the text's end";
    EXPECT_FALSE(WriteWhere(&text, &NotepadAndCode)) << "a text one byte longer leaves no room";
}
