#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "combinationlist.h"
#include "instancerule.h"
#include "mapping_fixture.h"
#include "mappingwriter.h"
#include "programfile.h"
#include "programtexts.h"
#include "quillonversion.h"
#include "switchrules.h"

TEST(TrayTip, CutTo63Characters)
{
    char tip[TrayTipSize + 8];
    std::memset(tip, 'x', sizeof tip);
    std::string longTitle(100, 'T');
    CutTrayTip(longTitle.c_str(), tip);
    EXPECT_EQ(std::string(tip), std::string(63, 'T'));

    char enabled[1024];
    char disabled[1024];
    ComposeTitles(enabled, disabled, sizeof enabled);
    CutTrayTip(disabled, tip);
    EXPECT_STREQ(tip, disabled);
    EXPECT_EQ(tip[TrayTipSize], 'x'); // nothing written past the field
}

TEST(Titles, EnabledAndDisabled)
{
    char enabled[1024];
    char disabled[1024];
    ComposeTitles(enabled, disabled, sizeof enabled);
    std::string version = std::string(QUILLON_VERSION_MAJOR_TEXT) + "." + QUILLON_VERSION_MINOR_TEXT;
    EXPECT_EQ(version + "." + QUILLON_VERSION_BUILD_TEXT, QUILLON_VERSION_TEXT);
    std::string title = "Quillon - " + version + " (Build " + QUILLON_VERSION_BUILD_TEXT + ")";
    EXPECT_EQ(enabled, title);
    EXPECT_EQ(disabled, title + "- DISABLED!!");
}

namespace {
std::string AutorunValue(const char* path)
{
    char out[PathBufferSize];
    AutorunValueText(path, out, sizeof out);
    return out;
}
} // namespace

TEST(Autorun, ValueTextQuotesOnlyPathsWithBlanks)
{
    EXPECT_EQ(AutorunValue("C:\\Quillon\\Quillon.exe"), "C:\\Quillon\\Quillon.exe  /background");
    EXPECT_EQ(AutorunValue("C:\\Program Files\\Quillon.exe"), "\"C:\\Program Files\\Quillon.exe\"  /background");
    EXPECT_EQ(AutorunValue(""), "  /background");
}

TEST(Autorun, ValueTextStaysInItsBuffer)
{
    std::string path(PathBufferSize - 1, 'a');
    path[10] = ' ';
    char out[PathBufferSize + 8];
    std::memset(out, 'x', sizeof out);
    AutorunValueText(path.c_str(), out, PathBufferSize);
    EXPECT_EQ(std::strlen(out), static_cast<std::size_t>(PathBufferSize - 1));
    EXPECT_EQ(out[0], '"');
    EXPECT_EQ(out[PathBufferSize], 'x');
}

TEST(CommandLine, BackgroundSwitchIsACaseSensitiveSubstring)
{
    EXPECT_TRUE(HasBackgroundSwitch("\"C:\\Q\\Quillon.exe\"  /background"));
    EXPECT_TRUE(HasBackgroundSwitch("Quillon.exe --x/backgrounded"));
    EXPECT_TRUE(HasBackgroundSwitch("C:\\odd/background\\Quillon.exe"));
    EXPECT_FALSE(HasBackgroundSwitch("Quillon.exe /Background"));
    EXPECT_FALSE(HasBackgroundSwitch("Quillon.exe background"));
    EXPECT_FALSE(HasBackgroundSwitch(""));
    EXPECT_FALSE(HasBackgroundSwitch(nullptr));
}

TEST(SingleInstance, NoMutexHandleCountsAsAnotherInstance)
{
    EXPECT_FALSE(AnotherInstanceRuns(true, 0));
    EXPECT_TRUE(AnotherInstanceRuns(true, 183)); // ERROR_ALREADY_EXISTS
    EXPECT_TRUE(AnotherInstanceRuns(false, 5));  // ERROR_ACCESS_DENIED: an elevated one holds it
    EXPECT_TRUE(AnotherInstanceRuns(false, 0));
}

TEST(Capacity, AddingStopsAt300Records)
{
    static CombinationTable table;
    table.count = MaxCombinations - 1;
    EXPECT_TRUE(CanAddCombination(&table));
    table.count = MaxCombinations;
    EXPECT_FALSE(CanAddCombination(&table));
}

TEST(Capacity, AnAddedCombinationGoesWholeToTheEndOfTheTable)
{
    static CombinationTable table;
    std::memset(&table, 0xEE, sizeof table);
    table.count = 2;
    CombinationRecord record;
    std::memset(&record, 0, sizeof record);
    record.keys[65] = record.keys[162] = record.keys[17] = 0x80;
    record.action = GoToUrl;
    for (int i = 0; i < PayloadSize; ++i)
        record.payload[i] = static_cast<char>(i % 251);
    EXPECT_EQ(AppendCombination(&table, &record), 2);
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(std::memcmp(&table.records[2], &record, sizeof record), 0);
    table.count = MaxCombinations;
    EXPECT_EQ(AppendCombination(&table, &record), -1);
    EXPECT_EQ(table.count, MaxCombinations);
}

namespace {

// A list of rows mirroring the table, each row naming its record's payload.
struct FakeList {
    std::vector<std::string> rows;
    std::vector<bool> selected;
};

bool IsSelected(int row, void* context)
{
    return static_cast<FakeList*>(context)->selected[static_cast<std::size_t>(row)];
}

void DeleteRow(int row, void* context)
{
    FakeList* list = static_cast<FakeList*>(context);
    list->rows.erase(list->rows.begin() + row);
    list->selected.erase(list->selected.begin() + row);
}

struct DeletionCase {
    const char* name;
    int count;
    std::vector<int> selected;
    std::vector<std::string> remaining;
};

class Deletion : public ::testing::TestWithParam<DeletionCase> {};

} // namespace

TEST_P(Deletion, RemovesExactlyTheSelectedRowsAndRecords)
{
    const DeletionCase& c = GetParam();
    static CombinationTable table;
    std::memset(&table, 0, sizeof table);
    FakeList list;
    for (int i = 0; i < c.count; ++i) {
        std::string name = "r" + std::to_string(i);
        table.records[i].action = TypeText;
        std::snprintf(table.records[i].payload, PayloadSize, "%s", name.c_str());
        table.records[i].keys[65 + i % 26] = 0x80;
        list.rows.push_back(name);
        list.selected.push_back(false);
    }
    table.count = c.count;
    for (int row : c.selected)
        list.selected[static_cast<std::size_t>(row)] = true;

    RowOps ops = {IsSelected, DeleteRow, &list};
    int removed = DeleteSelectedRecords(&table, c.count, &ops);

    EXPECT_EQ(removed, static_cast<int>(c.selected.size()));
    ASSERT_EQ(table.count, static_cast<int>(c.remaining.size()));
    EXPECT_EQ(list.rows, c.remaining);
    for (int i = 0; i < table.count; ++i) {
        EXPECT_EQ(std::string(table.records[i].payload), c.remaining[static_cast<std::size_t>(i)]);
        int original = std::stoi(c.remaining[static_cast<std::size_t>(i)].substr(1));
        EXPECT_EQ(table.records[i].keys[65 + original % 26], 0x80) << "keys moved with their record";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Deletion,
    ::testing::Values(DeletionCase{"none", 3, {}, {"r0", "r1", "r2"}},
                      DeletionCase{"first", 3, {0}, {"r1", "r2"}},
                      DeletionCase{"last", 3, {2}, {"r0", "r1"}},
                      DeletionCase{"adjacent", 5, {1, 2}, {"r0", "r3", "r4"}},
                      DeletionCase{"scattered", 6, {0, 2, 5}, {"r1", "r3", "r4"}},
                      DeletionCase{"adjacent up to the last", 4, {2, 3}, {"r0", "r1"}},
                      DeletionCase{"all", 3, {0, 1, 2}, {}},
                      DeletionCase{"empty list", 0, {}, {}}),
    [](const ::testing::TestParamInfo<DeletionCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(Selection, FirstSelectedRowScansFromTheTop)
{
    FakeList list;
    list.rows = {"a", "b", "c", "d"};
    list.selected = {false, false, true, true};
    RowOps ops = {IsSelected, DeleteRow, &list};
    EXPECT_EQ(FirstSelectedRow(4, &ops), 2);
    list.selected = {false, false, false, false};
    EXPECT_EQ(FirstSelectedRow(4, &ops), -1);
}

TEST(HookWatch, TwoRawKeysInARowWithoutAHookCallAndNoneSinceMeanTheHookIsGone)
{
    // Per raw key event (or check, a moment later): a hook installed?, the
    // hook-call count, does the hook look gone (must it be installed again)?
    const struct {
        bool check, installed;
        DWORD calls;
        bool gone;
    } steps[] = {
        {0, 1, 7, 0}, {0, 1, 8, 0}, {0, 1, 8, 0}, {0, 1, 9, 0},   // one miss: late
        {0, 1, 9, 0}, {0, 1, 9, 1}, {1, 1, 9, 1},                 // two, and none since: gone
        {0, 1, 9, 0}, {0, 1, 9, 1}, {1, 1, 10, 0},                // two more, then the late calls
        {0, 0, 9, 0}, {0, 0, 9, 0}, {0, 0, 9, 0}, {1, 0, 9, 0},   // off: never
        {0, 1, 0xFFFFFFFFu, 0}, {0, 1, 0, 0}, {0, 1, 0, 0},       // the count wraps around
    };
    HookWatch watch = {};
    DWORD suspected = 0;
    int step = 0;
    for (const auto& s : steps) {
        bool gone = s.check ? HookStillSilent(s.installed, suspected, s.calls)
                            : HookLooksDropped(&watch, s.installed, s.calls);
        if (gone && !s.check)
            suspected = s.calls;
        EXPECT_EQ(s.gone, gone)
            << "step " << step++;
    }
}

namespace {
int reloads, listings;
CombinationTable program;

class ProgramFileTest : public MappingDirectory {
protected:
    void SetUp() override
    {
        MappingDirectory::SetUp();
        reloads = listings = 0;
        MappingReload = [] { ++reloads; };
        ProgramFile = {false, false, false, [] { ++listings; }};
    }
};
} // namespace

TEST_F(ProgramFileTest, AFileUnreadableAtStartUpKeepsEveryRecordAndIsTakenInOnceItReads)
{
    Write(FileOf(2));
    Fake.heldFile = PathOf("mapping.mp");
    EXPECT_EQ(MappingUnreadable, LoadProgramTable(&program, LoadAtStartup));
    EXPECT_EQ(MappingUnreadable, LoadProgramTable(&program, LoadOnDialogOpen));
    EXPECT_TRUE(Fake.messageBoxes.empty()) << "the library said it at start-up";
    program.records[0] = NumberedRecord(2);
    program.count = 1;
    // Readable again: the file not yet read comes first, then what was made meanwhile.
    Fake.heldFile.clear();
    ASSERT_TRUE(SaveProgramTable(&program));
    EXPECT_EQ(FileOf(3), Read());
    EXPECT_EQ(1, listings);
    EXPECT_EQ(1, reloads);
    // Denied reading, it is kept aside and replaced, and not taken in after that.
    Fake.unreadableFile = PathOf("mapping.mp");
    EXPECT_EQ(MappingUnreadable, LoadProgramTable(&program, LoadAtStartup));
    ASSERT_TRUE(SaveProgramTable(&program));
    Fake.unreadableFile.clear();
    ASSERT_TRUE(SaveProgramTable(&program));
    EXPECT_EQ(FileOf(3), Read());
}

TEST_F(ProgramFileTest, TheDialogSaysAnUnreadableFileOnceAndADamagedOneEachTime)
{
    Write(FileOf(2));
    ASSERT_EQ(MappingLoaded, LoadProgramTable(&program, LoadAtStartup));
    Fake.heldFile = PathOf("mapping.mp");
    for (int opening = 0; opening < 2; ++opening)
        EXPECT_EQ(MappingUnreadable, LoadProgramTable(&program, LoadOnDialogOpen));
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ(UnreadableFileText, Fake.messageBoxes[0].text);
    Fake.heldFile.clear();
    Write(std::vector<char>(10, 'x'));
    for (int opening = 0; opening < 2; ++opening)
        EXPECT_EQ(MappingRejected, LoadProgramTable(&program, LoadOnDialogOpen));
    ASSERT_EQ(3u, Fake.messageBoxes.size());
    EXPECT_EQ(CorruptFileText, Fake.messageBoxes[2].text);
    // Unread at start-up with nothing made meanwhile: the file becomes the table, the library's too.
    ProgramFile.unread = true;
    program.count = 0;
    Write(FileOf(3));
    EXPECT_EQ(MappingLoaded, LoadProgramTable(&program, LoadOnDialogOpen));
    EXPECT_EQ(3, program.count);
    EXPECT_EQ(1, reloads);
}
