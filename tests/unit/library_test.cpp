#include <gtest/gtest.h>

#include <cstring>

#include "hook_support.h"
#include "mapping_fixture.h"

namespace {
class LibraryTest : public MappingDirectory {
protected:
    void SetUp() override
    {
        MappingDirectory::SetUp();
        DropQueuedTexts();
        std::memset(&Queue, 0, sizeof Queue);
        std::memset(&Launches, 0, sizeof Launches);
        Typer.started = false;
        ClearHookState();
    }

    void Start()
    {
        std::string exe = Fake.executablePath;
        FakeReset();
        Fake.executablePath = exe;
        Fake.nextHookResult = Passed;
        LibraryStartup();
    }

    static std::vector<char> FileWith(const std::vector<CombinationRecord>& records)
    {
        // One copy of the whole block: inserting record by record trips a
        // false stringop-overflow in optimised g++ 12 builds.
        std::vector<char> bytes(records.size() * sizeof(CombinationRecord));
        if (!bytes.empty())
            std::memcpy(bytes.data(), records.data(), bytes.size());
        return bytes;
    }
};

TEST_F(LibraryTest, StartupSetsDefaultsAndLoadsTheFileBesideTheProgram)
{
    Write(FileWith({Record({65}, BlockKey)}));
    MaskSet(Hook.reached, 65);
    Hook.live[65] = 0x80;
    MaskSet(Hook.lastCombSnapshot, 65);
    Start();
    EXPECT_TRUE(Typer.started);
    EXPECT_TRUE(Launches.started);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(0, Hook.live[c]);
    }
    EXPECT_TRUE(MaskEmpty(Hook.lastCombSnapshot));
    EXPECT_TRUE(MaskEmpty(Hook.reached));
    EXPECT_STREQ("LauchMail", KeyNameTable[180]);
    EXPECT_EQ(1, Hook.table.count);
    DWORD calls = GetHookCallCount();
    EXPECT_EQ(1, Feed(KeyRemapProc, 65, 0));
    KeyRemapProc(-1, 0, 0); // every call counts, also one to pass on
    EXPECT_EQ(calls + 2, GetHookCallCount());
}

TEST_F(LibraryTest, WithoutAFileEveryKeyPassesFromTheZeroStateOfALoadedLibrary)
{
    for (const char* content : {"", "damaged"}) {
        SCOPED_TRACE(content[0] ? "damaged file" : "no file");
        std::memset(&Hook, 0, sizeof Hook); // as the DLL's static state is at load
        Typer.started = false;
        Launches.started = false;
        if (content[0])
            Write(std::vector<char>(content, content + 7));
        Start();
        EXPECT_EQ(0, Hook.table.count);
        for (int vk : {0, 65, 162})
            EXPECT_EQ(Passed, Feed(KeyRemapProc, vk, 0)) << vk;
    }
}

TEST_F(LibraryTest, ReloadFollowsTheFileAndKeepsTheTableWhenItIsGoneOrDamaged)
{
    Write(FileWith({Record({65}, BlockKey)}));
    Start();
    EXPECT_EQ(1, Feed(KeyRemapProc, 65, 0));
    Feed(KeyRemapProc, 65, LLKHF_UP);

    Write(FileWith({Record({66}, BlockKey), Record({67}, BlockKey)}));
    ForceReloadKeysFromDisk();
    EXPECT_EQ(2, Hook.table.count);
    EXPECT_EQ(Passed, Feed(KeyRemapProc, 65, 0));
    EXPECT_EQ(1, Feed(KeyRemapProc, 67, 0));

    std::remove(PathOf("mapping.mp").c_str());
    ForceReloadKeysFromDisk();
    EXPECT_EQ(2, Hook.table.count);
    EXPECT_EQ(1, Feed(KeyRemapProc, 66, 0));
    EXPECT_TRUE(Fake.messageBoxes.empty());

    // Held by another program: said once until it reads again.
    Write(FileWith({Record({66}, BlockKey), Record({68}, BlockKey)}));
    Fake.heldFile = PathOf("mapping.mp");
    ForceReloadKeysFromDisk();
    ForceReloadKeysFromDisk();
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ(UnreadableFileText, Fake.messageBoxes[0].text);
    EXPECT_EQ(1, Feed(KeyRemapProc, 67, 0)) << "the table it held still works";
    Fake.heldFile.clear();
    ForceReloadKeysFromDisk();
    EXPECT_EQ(1, Feed(KeyRemapProc, 68, 0));
    Fake.messageBoxes.clear();

    // A burst of reloads while the warning is open shows no second box.
    Write(std::vector<char>(100, 'z'));
    Fake.duringMessageBox = [] { ForceReloadKeysFromDisk(); };
    ForceReloadKeysFromDisk();
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ(CorruptFileText, Fake.messageBoxes[0].text);
    EXPECT_EQ(1, Feed(KeyRemapProc, 66, 0)) << "the table it held still works";
}

TEST_F(LibraryTest, FileOfMoreThanThreeHundredRecordsLoadsTheFirstThreeHundred)
{
    std::vector<CombinationRecord> records;
    for (int i = 0; i < 301; ++i)
        records.push_back(Record({}, DisableCombination));
    records[299] = Record({70}, BlockKey);
    records[300] = Record({71}, BlockKey);
    Write(FileWith(records));
    Start();
    EXPECT_EQ(300, Hook.table.count);
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ(TooManyRecordsText, Fake.messageBoxes[0].text);
    EXPECT_EQ("WARNING", Fake.messageBoxes[0].caption);
    EXPECT_EQ(1, Feed(KeyRemapProc, 70, 0));
    EXPECT_EQ(Passed, Feed(KeyRemapProc, 71, 0));
}

TEST_F(LibraryTest, SettersStoreTheirArgument)
{
    Start();
    BYTE buffer[256];
    EXPECT_EQ(buffer, SetLastCombBuffer(buffer));
    EXPECT_EQ(0, SetLastCombWindow(reinterpret_cast<HWND>(0x77)));
    EXPECT_EQ(-3, SetSendLastComb(-3));
    EXPECT_NE(0, Hook.sendLastComb);
    EXPECT_EQ(0, SetSendLastComb(0));
    EXPECT_EQ(0, Hook.sendLastComb);
    HookState before;
    std::memcpy(&before, &Hook, sizeof before);
    EXPECT_EQ(0, SetListBox(reinterpret_cast<HWND>(0x99)));
    before.listBox = Hook.listBox;
    EXPECT_EQ(0, std::memcmp(&before, &Hook, sizeof before)) << "nothing else changes";
}
} // namespace
