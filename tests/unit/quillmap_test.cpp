// quillmap: the text form round-trips what the program writes, says what it
// cannot carry, imports nothing unless every line reads, and check names
// every fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "checks.h"
#include "commands.h"
#include "keynames.h"
#include "keystate.h"
#include "mapping_fixture.h"
#include "mappingwriter.h"
#include "programwhere.h"
#include "textform.h"

namespace {

std::string Drain(std::FILE* f)
{
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

class Quillmap : public MappingDirectory {
protected:
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
    void SetUp() override
    {
        MappingDirectory::SetUp();
        InitKeyNames();
        out = std::tmpfile();
        err = std::tmpfile();
    }
    void TearDown() override
    {
        std::remove(PathOf("in.txt").c_str());
        std::remove(PathOf("copy.mp").c_str());
        MappingDirectory::TearDown();
    }
    int Import(const std::string& text, const char* file = "mapping.mp")
    {
        std::FILE* in = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), in);
        std::rewind(in);
        int result = RunImport("-", in, PathOf(file).c_str(), out, err);
        std::fclose(in);
        return result;
    }
};

// A record as the editor stores it: folded keys, zero-filled payload tail.
CombinationRecord RandomRecord(std::mt19937* random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    CombinationRecord r;
    std::memset(&r, 0, sizeof r);
    int keys = 1 + byte(*random) % 4;
    for (int i = 0; i < keys; ++i)
        SetKeyDown(r.keys, byte(*random));
    int action = byte(*random) % 8;
    r.action = static_cast<BYTE>(action < 6 ? action : 6 + byte(*random) % 250);
    if (r.action == ChangeKey) {
        r.payload[TargetByte] = static_cast<char>(byte(*random));
        for (int i = CtrlByte; i <= ShiftByte; ++i)
            r.payload[i] = static_cast<char>(byte(*random) % 2);
    } else if (r.action == GoToUrl) { // the chooser stores web addresses only
        std::snprintf(r.payload, sizeof r.payload, "https://example.test/%d", byte(*random));
    } else if (r.action != DisableCombination && r.action != BlockKey) {
        int length = byte(*random) % 3 == 0 ? PayloadSize - 1 : byte(*random);
        for (int i = 0; i < length; ++i)
            r.payload[i] = static_cast<char>(1 + byte(*random) % 255);
    }
    // Half of them act only in, or not in, names of any bytes; a text gives up room for them.
    CombinationWhere where = {BYTE(byte(*random) % 4 < 2 ? ActsEverywhere : 1 + byte(*random) % 2), 0, {}};
    for (int n = where.kind ? 1 + byte(*random) % MaxWherePrograms : 0; n > 0; --n) {
        std::string name(byte(*random) % 5 == 0 ? ProgramNameSize - 1 : 1 + byte(*random) % 12, 'a');
        for (std::size_t i = 0; i < name.size(); ++i)
            name[i] = static_cast<char>(i % 3 ? 'a' + byte(*random) % 26 : 1 + byte(*random) % 255);
        AddWhereName(&where, name.c_str());
    }
    std::memset(r.payload + TextRoomFor(&where), 0, static_cast<std::size_t>(PayloadSize - TextRoomFor(&where)));
    EXPECT_TRUE(WriteWhere(&r, &where));
    return r;
}

TEST_F(Quillmap, RandomTablesOfEveryActionGoBackByteForByte)
{
    std::mt19937 random(12);
    static CombinationTable table;
    for (int round = 0; round < 12; ++round) {
        table.count = round == 0 ? 0 : 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < table.count; ++i)
            table.records[i] = RandomRecord(&random);
        if (round == 1)
            table.records[0].keys[0x11] = KeyDown; // generic Ctrl alone, picked with the mouse
        ASSERT_TRUE(WriteMappingFileAt(PathOf("mapping.mp").c_str(), &table));
        std::FILE* text = std::tmpfile();
        ASSERT_EQ(RunExport(PathOf("mapping.mp").c_str(), text, err), QuillmapOk);
        std::rewind(text);
        ASSERT_EQ(RunImport("-", text, PathOf("copy.mp").c_str(), out, err), QuillmapOk) << Drain(err);
        std::fclose(text);
        EXPECT_EQ(Read("mapping.mp"), Read("copy.mp")) << "round " << round;
    }
}

TEST_F(Quillmap, ExportSaysWhatADamagedRecordLoses)
{
    const struct {
        void (*damage)(CombinationRecord*);
        unsigned loss;
    } table[] = {
        {[](CombinationRecord* r) { r->keys[70] = 0x81; }, LostStrayKeyBytes},
        {[](CombinationRecord* r) { r->keys[162] = KeyDown; }, LostUnfoldedKeys},
        {[](CombinationRecord* r) { r->payload[10] = 'x'; }, LostPayloadTail},
        {[](CombinationRecord* r) { std::memset(r->payload, 'u', PayloadSize); }, LostUnterminated},
        {[](CombinationRecord* r) { r->action = ChangeKey; std::memcpy(r->payload, "B\2", 3); }, LostModifierBytes},
        {[](CombinationRecord* r) { r->action = ChangeKey; std::memcpy(r->payload, "B\0\0\0\0\1", 6); },
         LostPayloadTail},
        {[](CombinationRecord* r) { r->action = BlockKey; }, LostPayloadTail}, // the text stays behind
        {[](CombinationRecord* r) { r->keys[65] = 0; }, LostNoKey},
    };
    for (const auto& row : table) {
        CombinationRecord r;
        std::memset(&r, 0, sizeof r);
        r.keys[65] = KeyDown;
        r.action = TypeText;
        std::strcpy(r.payload, "hi");
        row.damage(&r);
        char line[TextLineSize];
        EXPECT_EQ(FormatCombinationLine(&r, line, sizeof line), row.loss) << line;
        // What is carried still reads, or is a comment.
        CombinationRecord back;
        LineProblem problem;
        EXPECT_NE(ParseCombinationLine(line, &back, &problem), LineError) << line << ": " << problem.message;
    }
    Write(FileOf(2));
    std::vector<char> bytes = Read();
    bytes[RecordSize + 200] = 3; // a stray key byte in record 2
    Write(bytes);
    EXPECT_EQ(RunExport(PathOf("mapping.mp").c_str(), out, err), QuillmapPartial);
    EXPECT_NE(Drain(err).find("record 2: not carried: key bytes other than 0 and 0x80"), std::string::npos);
}

TEST_F(Quillmap, ImportReportsEachErrorWithItsLineAndWritesNothing)
{
    std::string longText = "A text \"" + std::string(3000, 'x') + "\"\n";
    std::string tooMany;
    for (int i = 0; i < 301; ++i)
        tooMany += "A block\n";
    const struct {
        std::string text;
        const char* expected;
    } table[] = {
        {"A block\n# fine\nFoo+A block\n", ":3: unknown key name: Foo"},
        {"A block\n+ block\n", ":2: empty key name"},
        {"\n" + longText, ":2: text longer than 2999 bytes"},
        {"A change Bee+Ctrl\n", ":1: target is not a key: Bee"},
        {"A change B+Meta\n", ":1: expected +Ctrl, +Alt or +Shift after the target: +Meta"},
        {tooMany, ":301: more than 300 combinations"},
        {"A\n", ":1: no action after the keys"},
        {"A type \"x\"\n", ":1: unknown action"},
        {"A action=3 \"x\"\n", ":1: unknown action"},
        {"A text \"x\n", ":1: text without its closing quote"},
        {"A text \"\\q\"\n", ":1: unknown escape"},
        {"A text \"\\x00\"\n", ":1: a text cannot hold \\x00"},
        {"A block now\n", ":1: unexpected text after the action: now"},
        {"#300 block\n", ":1: unknown key name: #300"},
        {std::string("A block\nB text \"a\0b\"\n", 21), ":2: the line holds a 0 byte"},
        {"A block not-in a,b,c,d,e,f,g,h,i\n", ":1: more than 8 programs: i"},
        {"A block in a.exe,\n", ":1: expected a program name"},
        {"A block in \"\"\n", ":1: empty program name"},
        {"A block in " + std::string(256, 'n') + "\n", ":1: program name longer than 255 bytes"},
        {"A text \"" + std::string(2990, 't') + "\" in notepad.exe\n",
         ":1: text too long beside these programs: at most 2975 bytes with them"},
        {"A block in a.exe b.exe\n", ":1: unexpected text after the action: b.exe"},
        {"A url \"http://x\"\nB url \"file:///C:/x.exe\"\n", ":2: url: Quillon opens only an http:// or https:// address"},
    };
    Write(FileOf(1));
    const std::vector<char> before = Read();
    for (const auto& row : table) {
        err = std::tmpfile();
        EXPECT_EQ(Import(row.text), QuillmapFailed);
        std::string said = Drain(err);
        EXPECT_NE(said.find(row.expected), std::string::npos) << said;
        EXPECT_NE(said.find("was not written"), std::string::npos) << said;
        EXPECT_EQ(Read(), before);
        EXPECT_FALSE(Exists("mapping.mp.tmp"));
    }
    err = std::tmpfile();
    // Over a file that the program would reject: the old one is kept aside.
    std::vector<char> damaged = before;
    damaged.push_back(7);
    Write(damaged);
    EXPECT_EQ(Import("T+Left.Ctrl text \"ok\"\n"), QuillmapOk);
    EXPECT_EQ(Read("mapping.mp.bad"), damaged);
    EXPECT_EQ(Read().size(), static_cast<std::size_t>(RecordSize));
}

struct Finding {
    int record;
    std::string text;
};
void Collect(int record, const char* text, void* context)
{
    static_cast<std::vector<Finding>*>(context)->push_back({record, text});
}

TEST_F(Quillmap, CheckNamesEveryFaultWithItsRecord)
{
    const struct {
        const char* lines;
        int record;
        const char* expected; // nullptr: a clean table
    } table[] = {
        {"T+Left.Ctrl text \"x\"\nA change B+Shift\nC block\nD disable\n", 0, nullptr},
        {"A block\nB action=7 \"\"\n", 2, "action 7 is outside 0 to 5"},
        {"A+B block\n", 1, "BlockKey of several keys"},
        {"A change #0\n", 1, "ChangeKey target 0"},
        {"A change Power/Wake\n", 1, "ChangeKey target 255"},
        {"A text \"a\"\nA url \"http://b\"\n", 2, "record 1 has the same keys"},
        {"A url \"ftp://b\"\n", 1, "url: Quillon opens only"},
        {"A text \"a\"\nA change B\n", 1, "record 2 has the same keys"}, // the first pass wins
        {"A block\nA change B\n", 2, "record 1 has the same keys"},
        {"A text \"a\" in x.exe\nA text \"b\" not-in x.exe\nA text \"c\" in x.exe,y.exe\n", 3,
         "records 1, 2 have the same keys and act first wherever it acts"},
        {"A text \"a\" not-in x.exe\nA text \"b\" in X.EXE,z.exe\nA text \"c\" in x.exe\n", 3,
         "record 2 has the same keys"},
        {"A text \"a\" not-in x.exe,y.exe\nA text \"b\" not-in x.exe\n", 0, nullptr},
        {"A text \"a\" not-in x.exe\nA text \"b\" not-in x.exe,y.exe\n", 2, "record 1 has the same keys"},
        {"A block not-in \"a:b.exe\"\n", 1, "program \"a:b.exe\" cannot be a file name"},
        {"A block in con.exe,\"nul \"\nA block\n", 1, "can never act: none of the programs"},
        {"A block in applicationframehost.exe\nA block\n", 1, "can never act"},
    };
    static CombinationTable parsed;
    for (const auto& row : table) {
        parsed.count = 0;
        std::string lines = row.lines;
        for (std::size_t at = 0, next; at < lines.size(); at = next + 1, ++parsed.count) {
            next = lines.find('\n', at);
            LineProblem problem;
            ASSERT_EQ(ParseCombinationLine(lines.substr(at, next - at).c_str(), &parsed.records[parsed.count],
                                           &problem),
                      LineRecord);
        }
        std::vector<Finding> found;
        CheckMapping(&parsed, static_cast<long>(parsed.count) * RecordSize, Collect, &found);
        if (!row.expected) {
            EXPECT_TRUE(found.empty()) << found[0].text;
            continue;
        }
        ASSERT_FALSE(found.empty()) << row.lines;
        // Without a where, one finding; with one, the names at fault come first.
        if (!std::strstr(row.lines, " in ") && !std::strstr(row.lines, " not-in ")) {
            ASSERT_EQ(found.size(), 1u) << row.lines;
        }
        for (const Finding& f : found)
            EXPECT_EQ(f.record, row.record) << row.lines << f.text;
        EXPECT_NE(found.back().text.find(row.expected), std::string::npos) << found.back().text;
    }
    // Damage the program never writes, and sizes it would not load whole.
    parsed.count = 1;
    std::memset(&parsed.records[0], 0, RecordSize);
    std::memset(parsed.records[0].payload, 'u', PayloadSize);
    parsed.records[0].action = TypeText;
    parsed.records[0].keys[66] = 1;
    std::vector<Finding> found;
    CheckMapping(&parsed, RecordSize + 10, Collect, &found);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].record, 2);
    EXPECT_NE(found[0].text.find("not a multiple of 3257"), std::string::npos);
    EXPECT_NE(found[1].text.find("no terminating 0"), std::string::npos);
    EXPECT_NE(found[2].text.find("no key"), std::string::npos);
    EXPECT_NE(found[3].text.find("other than 0 or 0x80"), std::string::npos);
    found.clear();
    parsed.count = 0;
    CheckMapping(&parsed, 305L * RecordSize, Collect, &found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].record, 301);
}

} // namespace
