// The Win32 side of the platform layer, run under Wine: what only the real
// calls show.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "mappingfile.h"
#include "mappingwriter.h"
#include "platform.h"

namespace {
std::string ProgramDirectory()
{
    char dir[PathBufferSize];
    GetProgramDirectory(dir);
    return dir;
}

std::string Scratch(const char* name) { return ProgramDirectory() + name; }

void WriteText(const std::string& path, const char* text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fputs(text, f);
    std::fclose(f);
}

std::string ReadText(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char buffer[256] = {};
    std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    return std::string(buffer, n);
}

void Remove(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

int reloads = 0;
void CountReload() { ++reloads; }
} // namespace

TEST(Win32Platform, ProgramDirectoryIsTheExecutablesWithItsSeparator)
{
    char exe[PathBufferSize];
    OsExecutablePath(exe, sizeof exe);
    std::string path = exe;
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ("platform_win_test.exe", path.substr(path.rfind('\\') + 1));
    std::string dir = ProgramDirectory();
    EXPECT_EQ('\\', dir.back());
    EXPECT_EQ(path.substr(0, path.rfind('\\') + 1), dir);
}

TEST(Win32Platform, ReadersDenyWritersAndAWriterDeniesEveryone)
{
    std::string path = Scratch("sharing.tmp");
    WriteText(path, "x");
    OsOpenOutcome outcome = OsNoSuchFile;
    std::FILE* reader = OsOpenForRead(path.c_str(), &outcome);
    ASSERT_NE(nullptr, reader);
    std::FILE* second = OsOpenForRead(path.c_str(), &outcome);
    EXPECT_NE(nullptr, second) << "others may read";
    if (second)
        std::fclose(second);
    EXPECT_EQ(nullptr, OsOpenForWrite(path.c_str())) << "nobody may write while it is read";
    std::fclose(reader);

    std::FILE* writer = OsOpenForWrite(path.c_str());
    ASSERT_NE(nullptr, writer);
    EXPECT_EQ(nullptr, OsOpenForRead(path.c_str(), &outcome));
    EXPECT_EQ(OsCannotOpen, outcome) << "held, not absent";
    EXPECT_EQ(nullptr, OsOpenForWrite(path.c_str()));
    EXPECT_TRUE(OsCloseFile(writer));
    Remove(path);
    EXPECT_EQ(nullptr, OsOpenForRead(path.c_str(), &outcome));
    EXPECT_EQ(OsNoSuchFile, outcome);
    EXPECT_EQ(nullptr, OsOpenForRead(Scratch("no-folder\\x").c_str(), &outcome));
    EXPECT_EQ(OsNoSuchFile, outcome);
}

TEST(Win32Platform, ReplaceMovesTheNewFileOntoTheOldInOneStep)
{
    std::string from = Scratch("replace-new.tmp");
    std::string to = Scratch("replace-old.tmp");
    WriteText(from, "new");
    WriteText(to, "old");
    EXPECT_TRUE(OsReplaceFile(from.c_str(), to.c_str()));
    EXPECT_EQ("new", ReadText(to));
    EXPECT_EQ("<missing>", ReadText(from));

    WriteText(from, "newer");
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(OsReplaceFile(from.c_str(), to.c_str())) << "a read-only file is not replaced";
    EXPECT_EQ("new", ReadText(to));
    Remove(from);
    Remove(to);
}

TEST(Win32Platform, SaveAndLoadBesideTheProgram)
{
    std::string mapping = Scratch("mapping.mp");
    Remove(mapping);
    static CombinationTable table;
    std::memset(&table, 0, sizeof table);
    table.count = 2;
    table.records[0].keys[65] = 0x80;
    table.records[0].action = TypeText;
    std::snprintf(table.records[0].payload, PayloadSize, "%s", "saved");
    table.records[1].action = BlockKey;
    MappingReload = CountReload;
    ASSERT_TRUE(SaveMappingFile(&table));
    EXPECT_EQ(1, reloads);
    EXPECT_EQ("<missing>", ReadText(Scratch("mapping.mp.tmp")));

    static CombinationTable loaded;
    std::memset(&loaded, 0, sizeof loaded);
    EXPECT_EQ(MappingLoaded, LoadMappingFile(&loaded, nullptr));
    EXPECT_EQ(2, loaded.count);
    EXPECT_EQ(0, std::memcmp(table.records, loaded.records, 2 * sizeof(CombinationRecord)));
    MappingReload = nullptr;
    Remove(mapping);
}

TEST(Win32Platform, KeysCarryTheirOwnScanCodesAndTextConvertsWhole)
{
    EXPECT_EQ(0xE01Du, OsScanCodeOf(VK_RCONTROL, OsForegroundLayout()));
    EXPECT_TRUE(OsIsCasedLetter(0xE9));
    EXPECT_FALSE(OsIsCasedLetter('1'));
    unsigned short wide[8];
    EXPECT_EQ(3, OsAnsiToUnicode("a\x80z", 3, wide, 8));
    EXPECT_EQ(0x20AC, wide[1]) << "the euro sign of code page 1252";
}

TEST(Win32Platform, AHookThatIsGoneAlreadyCountsAsRemoved)
{
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, OsCallNextHook, GetModuleHandleA(nullptr), 0);
    ASSERT_NE(nullptr, hook);
    EXPECT_TRUE(OsRemoveHook(hook));
    EXPECT_TRUE(OsRemoveHook(hook)) << "as after the system dropped it: the handle is no hook any more";
}
