#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "mapping_fixture.h"
#include "mappingfile.h"
#include "mappingwriter.h"

namespace {
CombinationTable table;
std::vector<int> rowsSeen;
int reloads = 0;

void SeeRow(int index, const CombinationRecord* record)
{
    rowsSeen.push_back(index);
    EXPECT_EQ(&table.records[index], record);
}

void CountReload() { ++reloads; }

class MappingFile : public MappingDirectory {
protected:
    void SetUp() override
    {
        MappingDirectory::SetUp();
        std::memset(&table, 0, sizeof table);
        rowsSeen.clear();
        reloads = 0;
        MappingReload = CountReload;
    }
    void TearDown() override
    {
        MappingReload = nullptr;
        MappingDirectory::TearDown();
    }
};
} // namespace

namespace {
// The program's folder, and its mapping file in it, for the executable EXE.
void ExpectProgramDirectory(const char* exe, const std::string& expected)
{
    FakeReset();
    Fake.executablePath = exe;
    char dir[PathBufferSize];
    GetProgramDirectory(dir);
    EXPECT_EQ(expected, dir) << exe;
    char path[PathBufferSize];
    GetMappingFilePath(path);
    EXPECT_EQ(expected + "mapping.mp", path) << exe;
}
} // namespace

TEST(ProgramDirectory, KeepsTheLastSeparator)
{
    ExpectProgramDirectory("C:\\Program Files\\Quillon\\Quillon.exe", "C:\\Program Files\\Quillon\\");
    ExpectProgramDirectory("C:\\a/b\\c/Quillon.exe", "C:\\a/b\\"); // backslash first, slash only without one
    ExpectProgramDirectory("/opt/quillon/Quillon.exe", "/opt/quillon/");
    ExpectProgramDirectory("Quillon.exe", "Quillon.exe");
}

TEST_F(MappingFile, LoadsBySize)
{
    const struct {
        long size;
        MappingLoadResult result;
        int count;
    } cases[] = {
        {0, MappingLoaded, 0},
        {3257, MappingLoaded, 1},
        {3258, MappingRejected, 7},
        {3256, MappingRejected, 7},
        {3257L * 300, MappingLoaded, 300},
        {3257L * 301, MappingCut, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<char> bytes = FileOf(static_cast<int>(c.size / 3257 + 1));
        bytes.resize(static_cast<std::size_t>(c.size));
        Write(bytes);
        std::memset(&table, 0, sizeof table);
        table.count = 7;
        rowsSeen.clear();
        EXPECT_EQ(c.result, LoadMappingFile(&table, SeeRow));
        EXPECT_EQ(c.count, table.count);
        EXPECT_TRUE(Fake.messageBoxes.empty()) << "each caller says what the result means to it";
        if (c.result == MappingRejected) {
            EXPECT_TRUE(rowsSeen.empty());
            EXPECT_EQ(static_cast<std::size_t>(c.size), Read().size()) << "left on disk";
        } else {
            ASSERT_EQ(static_cast<std::size_t>(c.count), rowsSeen.size());
            for (int i = 0; i < c.count; ++i) {
                EXPECT_EQ(i, rowsSeen[i]);
                EXPECT_EQ(0, std::memcmp(&table.records[i], &bytes[3257u * i], 3257));
            }
        }
    }
}

TEST_F(MappingFile, OnlyAnAbsentFileIsNoFileAndNeitherChangesTheTable)
{
    table.count = 3;
    table.records[2] = NumberedRecord(9);
    EXPECT_EQ(MappingMissing, LoadMappingFile(&table, nullptr));
    Write(FileOf(4));
    Fake.readBytesLeft = 3257 + 5;
    EXPECT_EQ(MappingUnreadable, LoadMappingFile(&table, nullptr)) << "the read fails half-way";
    Fake.readBytesLeft = -1;
    std::remove(PathOf("mapping.mp").c_str());
    mkdir(PathOf("mapping.mp").c_str(), 0700);
    EXPECT_EQ(MappingUnreadable, LoadMappingFile(&table, nullptr)) << "a folder of that name";
    EXPECT_EQ(3, table.count);
    EXPECT_STREQ("record 9", table.records[2].payload);
    EXPECT_TRUE(Fake.messageBoxes.empty());
}

TEST_F(MappingFile, ShorterFileSetsTheCountAndKeepsLaterBytes)
{
    Write(FileOf(4));
    LoadMappingFile(&table, nullptr);
    Write(FileOf(2));
    LoadMappingFile(&table, nullptr);
    EXPECT_EQ(2, table.count);
    EXPECT_STREQ("record 3", table.records[3].payload);
}

TEST_F(MappingFile, SaveThenLoadRoundTripsEveryByte)
{
    table.count = 300;
    for (int i = 0; i < 300; ++i) {
        table.records[i] = NumberedRecord(i, static_cast<BYTE>(i % 6));
        table.records[i].payload[2999] = static_cast<char>(i); // leftovers are stored too
    }
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_EQ(1, reloads);
    EXPECT_EQ(300u * 3257u, Read().size());
    EXPECT_FALSE(Exists("mapping.mp.tmp"));

    static CombinationTable loaded;
    std::memset(&loaded, 0, sizeof loaded);
    EXPECT_EQ(MappingLoaded, LoadMappingFile(&loaded, nullptr));
    ASSERT_EQ(300, loaded.count);
    EXPECT_EQ(0, std::memcmp(table.records, loaded.records, sizeof table.records));
}

TEST_F(MappingFile, EmptyTableSavesAnEmptyFile)
{
    Write(FileOf(3));
    table.count = 0;
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_TRUE(Exists("mapping.mp"));
    EXPECT_EQ(0u, Read().size());
    EXPECT_EQ(1, reloads);
}

TEST_F(MappingFile, FailedSaveLeavesTheOldFileAndCallsNoReload)
{
    const std::vector<char> good = FileOf(5);
    const struct {
        const char* what;
        void (*inject)(MappingDirectory&);
    } faults[] = {
        {"open fails", [](MappingDirectory&) { Fake.failOpenForWrite = true; }},
        {"write fails at once", [](MappingDirectory&) { Fake.writeBytesLeft = 0; }},
        {"write fails half-way", [](MappingDirectory&) { Fake.writeBytesLeft = 3257 * 2 + 100; }},
        {"close fails", [](MappingDirectory&) { Fake.failClose = true; }},
        {"flush fails", [](MappingDirectory&) { Fake.failFlush = true; }},
        {"held by another program", [](MappingDirectory& d) { Fake.heldFile = d.PathOf("mapping.mp"); }},
        {"replace fails", [](MappingDirectory&) { Fake.failReplace = true; }},
        {"read-only file",
         [](MappingDirectory& d) { chmod(d.PathOf("mapping.mp").c_str(), 0444); }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        FakeReset();
        Fake.executablePath = dir + "/Quillon.exe";
        chmod(PathOf("mapping.mp").c_str(), 0600);
        Write(good);
        reloads = 0;
        table.count = 4;
        for (int i = 0; i < 4; ++i)
            table.records[i] = NumberedRecord(40 + i);
        fault.inject(*this);

        EXPECT_FALSE(SaveMappingFile(&table));
        EXPECT_EQ(good, Read());
        EXPECT_EQ(0, reloads);
        EXPECT_FALSE(Exists("mapping.mp.tmp"));
        ASSERT_EQ(1u, Fake.messageBoxes.size());
        EXPECT_EQ(WriteFailedText, Fake.messageBoxes[0].text);
        EXPECT_EQ("Error...", Fake.messageBoxes[0].caption);
        EXPECT_EQ(MB_ICONERROR | MB_OK, Fake.messageBoxes[0].type);
        EXPECT_EQ(nullptr, Fake.messageBoxes[0].owner);
    }
}

TEST_F(MappingFile, FileNotLoadedWholeIsKeptBesideBeforeItIsReplaced)
{
    const struct {
        const char* what;
        std::vector<char> bytes;
        bool unreadable = false;
    } cases[] = {
        {"damaged size", std::vector<char>(3257 + 11, 'g')},
        {"cannot be read (access denied)", FileOf(2), true},
        {"more than 300 records", FileOf(301)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fake.unreadableFile = c.unreadable ? PathOf("mapping.mp") : "";
        Write(c.bytes);
        Write(std::vector<char>(5, 'o'), "mapping.mp.bad"); // an older copy is replaced
        table.count = 1;
        table.records[0] = NumberedRecord(1);
        ASSERT_TRUE(SaveMappingFile(&table));
        EXPECT_EQ(c.bytes, Read("mapping.mp.bad"));
        EXPECT_EQ(3257u, Read().size());
    }
    // A whole file is simply replaced, with no copy.
    std::remove(PathOf("mapping.mp.bad").c_str());
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_FALSE(Exists("mapping.mp.bad"));
    // A write-protected one stays as it is, and the save says so.
    Write(cases[0].bytes);
    chmod(PathOf("mapping.mp").c_str(), 0444);
    Fake.messageBoxes.clear();
    EXPECT_FALSE(SaveMappingFile(&table));
    EXPECT_EQ(cases[0].bytes, Read());
    EXPECT_FALSE(Exists("mapping.mp.bad"));
    ASSERT_EQ(1u, Fake.messageBoxes.size());
}

TEST_F(MappingFile, CountOutsideTheTableNeverWritesPastIt)
{
    table.count = 1000;
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_EQ(300u * 3257u, Read().size());
    table.count = -4;
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_EQ(0u, Read().size());
}

TEST(PayloadText, EndsAtTheFieldEndWithoutATerminator)
{
    CombinationRecord r;
    std::memset(r.payload, 'x', sizeof r.payload);
    EXPECT_EQ(3000u, PayloadTextLength(r.payload));
    r.payload[12] = 0;
    EXPECT_EQ(12u, PayloadTextLength(r.payload));
}
