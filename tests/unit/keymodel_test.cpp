#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "keynames.h"
#include "keystate.h"
#include "webaddress.h"

namespace {
struct Keys {
    BYTE v[256];
    Keys() { std::memset(v, 0, sizeof v); }
    Keys(std::initializer_list<int> codes) : Keys()
    {
        for (int c : codes)
            v[c] = 0x80;
    }
};

std::string TextOf(const BYTE* keys, std::size_t capacity = 3000)
{
    char buffer[3000];
    std::memset(buffer, 'x', sizeof buffer);
    GetCombinationText(keys, buffer, capacity);
    return buffer;
}

class KeyNames : public ::testing::Test {
protected:
    void SetUp() override { InitKeyNames(); }
};
} // namespace

TEST_F(KeyNames, IrregularAndRuleNames)
{
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {8, "Backsp"},        {13, "Return"},         {20, "CapsLk"},     {44, "PrtSc"},
        {48, "0"},            {57, "9"},              {65, "A"},          {90, "Z"},
        {96, "NumPad.0"},     {105, "NumPad.9"},      {106, "*"},         {107, "+"},
        {109, "-"},           {110, "."},             {111, "/"},         {112, "F1"},
        {135, "F24"},         {144, "Num.Lk"},        {160, "L.Shift"},   {161, "R.Shift"},
        {162, "Left.Ctrl"},   {163, "Right.Ctrl"},    {164, "Left.Alt"},  {165, "Right.Alt"},
        {179, "MediaPlay/Pause"}, {180, "LauchMail"}, {187, "+"},         {189, "-"},
        {190, "."},           {191, "/"},             {192, "~"},         {220, "\\"},
        {222, "\""},          {245, "OEM_BACKTAB"},   {255, "Power/Wake"}, {7, "<no-name>"},
        {108, "<no-name>"},   {136, "<no-name>"},     {246, "<no-name>"}, {254, "<no-name>"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.name, KeyNameTable[c.code]) << "code " << c.code;
}

TEST_F(KeyNames, ExactlyOneHundredFiftyTwoNamedCodes)
{
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        ASSERT_NE(nullptr, KeyNameTable[code]);
        if (std::strcmp(KeyNameTable[code], "<no-name>") != 0)
            ++named;
    }
    EXPECT_EQ(152, named);
}

TEST(FoldModifiers, MasksLowBitsAndOrsSidesIntoGeneric)
{
    Keys k;
    k.v[65] = 0x81;
    k.v[66] = 0x7F;
    k.v[0xA3] = 0xFF; // right Ctrl
    k.v[0x12] = 0x80; // generic Alt with no side key stays set
    FoldModifiers(k.v);
    EXPECT_EQ(0x80, k.v[65]);
    EXPECT_EQ(0x00, k.v[66]);
    EXPECT_EQ(0x80, k.v[0xA3]);
    EXPECT_EQ(0x80, k.v[0x11]);
    EXPECT_EQ(0x80, k.v[0x12]);
    EXPECT_EQ(0x00, k.v[0x10]);
}

TEST(SetKeyDown, SideModifierSetsItsGenericEntry)
{
    Keys k;
    SetKeyDown(k.v, 163);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ((code == 17 || code == 163) ? 0x80 : 0, k.v[code]) << code;
    SetKeyDown(k.v, 300); // out of range: ignored
    ClearKeys(k.v);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(0, k.v[code]);
}

TEST_F(KeyNames, CombinationTextInAscendingCodeOrder)
{
    const struct {
        Keys keys;
        const char* text;
    } cases[] = {
        {Keys{}, ""},
        {Keys{16, 17, 18}, ""},
        {Keys{160, 16, 112}, "F1+L.Shift"},
        {Keys{162, 163, 17, 46}, "Delete+Left.Ctrl+Right.Ctrl"},
        {Keys{162, 17, 65}, "A+Left.Ctrl"},
        {Keys{65, 107}, "A++"},
        {Keys{7}, "<no-name>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, TextOf(c.keys.v));
}

TEST_F(KeyNames, CombinationTextDoesNotChangeTheVector)
{
    Keys k{17, 162, 65};
    k.v[66] = 0x01;
    Keys before = k;
    TextOf(k.v);
    EXPECT_EQ(0, std::memcmp(before.v, k.v, 256));
}

TEST_F(KeyNames, CombinationTextKeepsWholeNamesWithinCapacity)
{
    Keys k{65, 162, 163}; // "A+Left.Ctrl+Right.Ctrl" is 22 characters
    EXPECT_EQ("A+Left.Ctrl+Right.Ctrl", TextOf(k.v, 23));
    EXPECT_EQ("A+Left.Ctrl", TextOf(k.v, 22));
    EXPECT_EQ("A+Left.Ctrl", TextOf(k.v, 12));
    EXPECT_EQ("A", TextOf(k.v, 11));
    EXPECT_EQ("A", TextOf(k.v, 2));
    EXPECT_EQ("", TextOf(k.v, 1));

    char guard[8];
    std::memset(guard, 'x', sizeof guard);
    GetCombinationText(k.v, guard, 0);
    EXPECT_EQ('x', guard[0]);

    // Every key down: 253 names, 1907 characters; a 500-byte buffer is cut
    // at a whole name and never overrun.
    Keys all;
    std::memset(all.v, 0x80, sizeof all.v);
    EXPECT_EQ(1907u, TextOf(all.v).size());
    char small[600];
    std::memset(small, 'x', sizeof small);
    GetCombinationText(all.v, small, 500);
    std::size_t length = std::strlen(small);
    EXPECT_LT(length, 500u);
    EXPECT_EQ('x', small[500]);
    EXPECT_EQ(TextOf(all.v).substr(0, length), std::string(small));
    EXPECT_EQ('+', TextOf(all.v)[length]);
}

TEST(KeysMatch, ComparesTheDownBitOfEveryCode)
{
    Keys stored{17, 162, 65};
    Keys live{17, 162, 65};
    live.v[65] = 0xFF; // low bits of the live vector carry no meaning
    EXPECT_EQ(1, KeysMatch(live.v, stored.v));

    Keys rightCtrl{17, 163, 65};
    EXPECT_EQ(0, KeysMatch(rightCtrl.v, stored.v)) << "side-specific";

    Keys noGeneric{162, 65};
    EXPECT_EQ(0, KeysMatch(noGeneric.v, stored.v)) << "the live vector is not folded";

    Keys extra{17, 162, 65, 66};
    EXPECT_EQ(0, KeysMatch(extra.v, stored.v));
}

TEST(KeysMatch, FoldsTheStoredVectorInPlace)
{
    Keys stored;
    stored.v[65] = 0x81;
    stored.v[162] = 0x80; // generic Ctrl missing
    Keys live{65, 162, 17};
    EXPECT_EQ(1, KeysMatch(live.v, stored.v));
    EXPECT_EQ(0x80, stored.v[65]);
    EXPECT_EQ(0x80, stored.v[17]);
}

TEST(IsSingleKey, CountsEveryNonzeroCodeButTheGenericModifiers)
{
    const struct {
        Keys keys;
        int single;
    } cases[] = {
        {Keys{17, 162}, 1}, {Keys{65}, 1},        {Keys{17, 162, 65}, 0},
        {Keys{}, 0},        {Keys{16, 17, 18}, 0}, {Keys{160, 161}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.single, IsSingleKey(c.keys.v));
    Keys lowBit;
    lowBit.v[70] = 0x01; // any nonzero value counts
    EXPECT_EQ(1, IsSingleKey(lowBit.v));
}

TEST(WebAddress, OwnSchemesPortsAndWhatOpens)
{
    const struct {
        const char* address;
        std::size_t scheme;
        bool web;
    } cases[] = {
        {"https://example.test/x", 5, true}, {"HTTP://EXAMPLE.TEST", 4, true}, {"example.org", 0, false},
        {"localhost:8080/x", 0, false},      {"example.test:8080", 0, false},   {"host:80x", 4, false},
        {"file:///C:/x.exe", 4, false},      {"C:\\x.exe", 1, false},          {"httpx://x", 5, false},
        {"", 0, false},                      {"http://a b", 4, false},          {"https://x\" --flag", 5, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.scheme, AddressSchemeLength(c.address)) << c.address;
        EXPECT_EQ(c.web, IsWebAddress(c.address)) << c.address;
    }
    // A damaged record's payload may have no end: nothing past it is read.
    std::vector<char> unterminated(3000, 'h');
    EXPECT_EQ(0u, AddressSchemeLength(unterminated.data()));
    std::memcpy(unterminated.data(), "http://", 7);
    EXPECT_TRUE(IsWebAddress(unterminated.data()));
}
