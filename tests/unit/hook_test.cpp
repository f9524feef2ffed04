#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hook_support.h"

namespace {
// One event and what must come of it. Events: "+65" press, "-65" release,
// "+38x" with the extended flag, "+65i" injected, "+65@1" with hook code 1. Decisions: "S" swallowed,
// "P" passed on. `out`: synthesized keys, then queued texts and launches.
// "+162g": AltGr's left Ctrl. No event ("-"): "~164" let go where the hook is
// not called, "^x.exe" x.exe to the front ("^^x.exe": the watch not told yet).
struct Step {
    const char* event;
    const char* decision;
    const char* out;
};

struct Sequence {
    const char* name;
    std::vector<CombinationRecord> records;
    std::vector<Step> steps;
};

void Reinject(const FakeKeyEvent& e) { ReinjectInto(KeyRemapProc, e); }

LRESULT FeedToken(const char* token)
{
    std::string t = token;
    DWORD flags = t[0] == '-' ? LLKHF_UP : 0;
    if (t.find('x') != std::string::npos)
        flags |= LLKHF_EXTENDED;
    if (t.find('i') != std::string::npos)
        flags |= LLKHF_INJECTED;
    std::size_t at = t.find('@');
    int code = at == std::string::npos ? 0 : std::stoi(t.substr(at + 1));
    return Feed(KeyRemapProc, std::stoi(t.substr(1)), flags, code, 0, t.find('g') != std::string::npos ? 0x21D : 0);
}

const std::vector<Sequence> Sequences = {
    {"left Ctrl+A changed to B",
     {Change({162, 65}, 66)},
     {{"+162", "P", ""}, {"+65", "S", "-17 -162 +66"}, {"-65", "S", "-66 +162"}, {"-162", "P", ""}}},
    {"A changed to Shift+B",
     {Change({65}, 66, false, false, true)},
     {{"+65", "S", "+160 +66"}, {"-65", "S", "-66 -160"}}},
    {"left Ctrl+T types a text",
     {Record({162, 84}, TypeText, "Hi")},
     {{"+162", "P", ""}, {"+84", "S", "T(Hi)"}, {"-84", "S", ""}, {"-162", "P", ""}}},
    {"auto-repeat queues the text again and repeats a change",
     {Record({162, 84}, TypeText, "Hi"), Change({65}, 66)},
     {{"+162", "P", ""},
      {"+84", "S", "T(Hi)"},
      {"+84", "S", "T(Hi)"},
      {"-84", "S", ""},
      {"-162", "P", ""},
      {"+65", "S", "+66"},
      {"+65", "S", "+66"},
      {"-65", "S", "-66"}}},
    {"Shift+A gives Shift+B: keys outside the record are left alone, in either order",
     {Change({65}, 66)},
     {{"+160", "P", ""}, {"+65", "S", "+66"}, {"-65", "S", "-66"}, {"-160", "P", ""},
      {"+160", "P", ""}, {"+65", "S", "+66"}, {"-160", "P", ""}, {"-65", "S", "-66"}}},
    {"empty table passes everything",
     {},
     {{"+65", "P", ""}, {"+162", "P", ""}, {"-65", "P", ""}, {"-162", "P", ""}}},
    {"hook codes other than 0 change nothing",
     {Change({65}, 66), Record({162, 66}, DisableCombination)},
     {{"+162@1", "P", ""}, {"+65@-1", "P", ""}, {"+66", "P", ""}, {"-65@2", "P", ""},
      {"+65", "S", "+66"}, {"-65", "S", "-66"}}},
    {"injected events pass untouched and trigger nothing",
     {Change({65}, 66), Record({66}, BlockKey)},
     {{"+65i", "P", ""}, {"+66i", "P", ""}, {"-66i", "P", ""}, {"-65i", "P", ""}}},
    {"BlockKey swallows press and release whatever is held",
     {Record({66}, BlockKey)},
     {{"+162", "P", ""},
      {"+160", "P", ""},
      {"+66", "S", ""},
      {"-160", "P", ""},
      {"-66", "S", ""},
      {"-162", "P", ""}}},
    {"first pass beats the second whatever the index",
     {Record({65}, DisableCombination), Record({65}, TypeText, "no"), Record({65}, BlockKey)},
     {{"+65", "S", ""}, {"-65", "S", ""}}},
    {"a lower ChangeKey beats a BlockKey for the same key",
     {Change({65}, 67), Record({65}, BlockKey)},
     {{"+65", "S", "+67"}, {"-65", "S", "-67"}}},
    {"equal records: the lower index wins",
     {Record({65}, TypeText, "first"), Record({65}, TypeText, "second")},
     {{"+65", "S", "T(first)"}, {"-65", "S", ""}}},
    {"matching is side-specific",
     {Record({162, 87}, DisableCombination)},
     {{"+163x", "P", ""}, {"+87", "P", ""}, {"-87", "P", ""}, {"-163x", "P", ""},
      {"+162", "P", ""}, {"+87", "S", ""}, {"-87", "S", ""}, {"-162", "P", ""},
      {"+87", "P", ""}, {"-87", "P", ""}}},
    {"launch on key-up only, with the combination still whole; an address that is no web page beeps",
     {Record({162, 76}, LaunchApplication, "C:\\marker.exe"), Record({162, 85}, GoToUrl, "http://example.org"),
      Record({162, 70}, GoToUrl, "file:///C:/marker.exe")},
     {{"+162", "P", ""},
      {"+76", "S", ""},
      {"-76", "S", "O(C:\\marker.exe)"},
      {"+85", "S", ""},
      {"-85", "S", "O(http://example.org)"},
      {"+70", "S", ""},
      {"-70", "S", "beep"},
      {"+76", "S", ""},
      {"-162", "P", ""},
      {"-76", "P", ""}}},
    {"releasing a side modifier that completed a combination passes on",
     {Record({162, 65}, DisableCombination)},
     {{"+65", "P", ""}, {"+162", "S", ""}, {"-162", "P", ""}, {"-65", "P", ""}}},
    {"a change's target is released once no key is held, whatever was let go first",
     {Change({162, 65}, 66)},
     {{"+162", "P", ""}, {"+65", "S", "-17 -162 +66"}, {"-162", "P", ""}, {"-65", "P", "-66"}}},
    {"left Ctrl+J changed to Down, Ctrl let go before J: Down is released",
     {Change({162, 74}, 40)},
     {{"+162", "P", ""}, {"+74", "S", "-17 -162 +40e"}, {"-162", "P", ""}, {"-74", "P", "-40e"}}},
    {"releasing a key outside a held change passes on and presses nothing",
     {Change({162, 65}, 66)},
     {{"+162", "P", ""},
      {"+65", "S", "-17 -162 +66"},
      {"+88", "P", ""},
      {"-88", "P", ""},
      {"-65", "S", "-66 +162"},
      {"-162", "P", ""}}},
    {"F9 changed to Ctrl, held while C is tapped: Ctrl+C, then nothing left down",
     {Change({120}, 162)},
     {{"+120", "S", "+162"}, {"+67", "P", ""}, {"-67", "P", ""}, {"-120", "S", "-162"}}},
    {"a swallowed release of a key whose press passed on passes on",
     {Record({65, 66}, DisableCombination)},
     {{"+65", "P", ""}, {"+66", "S", ""}, {"-65", "P", ""}, {"-66", "P", ""}}},
    {"single-key change hits while other keys are held",
     {Change({65}, 66, true)},
     {{"+162", "P", ""}, {"+65", "S", "+17 +66"}, {"-65", "S", "-66 -17 +162"}, {"-162", "P", ""}}},
    {"a Ctrl key of the combination is released first towards the system",
     {Change({65, 162}, 66, false, true)},
     {{"+65", "P", ""}, {"+162", "S", "-162 -17 -65 +164 +66"}, {"-162", "P", ""}, {"-65", "P", "-66 -164"}}},
    {"left Ctrl changed to Escape, then x is a plain x",
     {Change({162}, 27)},
     {{"+162", "S", "-162 -17 +27"}, {"-162", "S", "-27"}, {"+88", "P", ""}, {"-88", "P", ""}}},
    {"single-key change of left Ctrl with right Ctrl held: the right Ctrl stays down throughout",
     {Change({162}, 27)},
     {{"+163x", "P", ""}, {"+162", "S", "-162 -17 +27"}, {"-162", "S", "-27"}, {"-163x", "P", ""}}},
    {"keys go out with their own extended bit: Up, right Ctrl and Alt are, Return and right Shift not; right Alt masked",
     {Change({65}, 38), Change({66}, 163), Change({67}, 13), Change({68}, 165), Change({69}, 161)},
     {{"+65", "S", "+38e"},
      {"-65", "S", "-38e"},
      {"+38x", "P", ""},
      {"-38x", "P", ""},
      {"+65", "S", "+38e"},
      {"-65", "S", "-38e"},
      {"+66", "S", "+163e"},
      {"-66", "S", "-163e"},
      {"+13x", "P", ""}, {"-13x", "P", ""}, {"+67", "S", "+13"}, {"-67", "S", "-13"}, // the numeric-pad Enter
      {"+68", "S", "+165e +232 -232"}, {"-68", "S", "-165e"}, {"+69", "S", "+161"}, {"-69", "S", "-161"}}},
    {"Alt and Win: a lone tap passes as it is; a mask before a key swallowed while Alt is held, and before "
     "either goes up for a change, after which it is down again; let go where the hook is not called, it is up",
     {Change({164, 74}, 40), Change({91, 74}, 40), Record({164, 115}, DisableCombination)},
     {{"+164", "P", ""}, {"+74", "S", "+232 -232 -18 -164 +40e"}, {"-74", "S", "-40e +164 +232 -232"}, {"-164", "P", ""},
      {"+91x", "P", ""}, {"+74", "S", "+232 -232 -91e +40e"}, {"-74", "S", "-40e +91e +232 -232"}, {"-91x", "P", ""},
      {"+164", "P", ""}, {"-164", "P", ""}, {"+164", "P", ""}, {"+115", "S", "+232 -232"}, {"+115", "S", ""},
      {"-115", "S", ""}, {"-164", "P", ""}, {"+164", "P", ""}, {"~164", "-", ""}, {"+74", "P", ""}, {"-74", "P", ""},
      {"-164", "P", ""}}},
    {"Caps Lock+J changed to Down and Num Lock+K disabled leave both toggles as they were, turned back once only",
     {Change({20, 74}, 40), Record({144, 75}, DisableCombination)},
     {{"+20", "P", ""}, {"+74", "S", "-20 +20 -20 +40e"}, {"+74", "S", "-20 +40e"}, {"-74", "S", "-40e"},
      {"-20", "P", ""}, {"+144x", "P", ""}, {"+75", "S", "-144e +144e"}, {"-75", "S", ""}, {"-144x", "P", ""}}},
    {"the left Ctrl that comes with AltGr passes untouched and is no left Ctrl",
     {Change({162}, 20), Record({162, 81}, DisableCombination)},
     {{"+162g", "P", ""}, {"+165x", "P", ""}, {"+81", "P", ""}, {"-81", "P", ""}, {"-162g", "P", ""},
      {"-165x", "P", ""}, {"+162", "S", "-162 -17 +20"}, {"-162", "S", "-20"}}},
    {"only in x.exe: the program in front when a key goes down decides until it is let go",
     {Where(Change({65}, 66), ActsOnlyIn, "X.exe"), Where(Record({67}, DisableCombination), ActsNotIn, "x.EXE")},
     {{"^x.exe", "-", ""}, {"+65", "S", "+66"}, {"^y.exe", "-", ""}, {"+65", "S", "+66"}, {"-65", "S", "-66"},
      {"+65", "P", ""}, {"^x.exe", "-", ""}, {"-65", "P", ""}, {"+67", "P", ""}, {"-67", "P", ""},
      {"^y.exe", "-", ""}, {"+67", "S", ""}, {"^x.exe", "-", ""}, {"-67", "S", ""},
      {"^", "-", ""}, {"+65", "P", ""}, {"-65", "P", ""}, {"^^x.exe", "-", ""}, {"+65", "S", "+66"}, {"-65", "S", "-66"}}},
    {"a change with no keys: the release of the last key passes on",
     {Change({}, 66)},
     {{"+65", "P", ""}, {"-65", "P", ""}}},
};

class HookSequences : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { StartFreshLibrary(); }
};

TEST_P(HookSequences, EventsInDecisionsAndKeysOut)
{
    const bool reentrant = GetParam();
    for (const Sequence& s : Sequences) {
        SCOPED_TRACE(s.name);
        StartFreshLibrary();
        if (reentrant)
            Fake.reinject = Reinject;
        UseTable(s.records);
        bool held[256] = {};
        for (const Step& step : s.steps) {
            SCOPED_TRACE(step.event);
            if (!std::strchr(step.event, 'i') && step.event[0] != '^')
                held[std::atoi(step.event + 1)] = step.event[0] == '+';
            std::size_t before = Fake.keyEvents.size();
            if (step.event[0] == '^')
                FakeForeground(step.event + 1 + (step.event[1] == '^'), ProgramFound, step.event[1] != '^');
            else if (step.event[0] == '~')
                Fake.systemKeys[std::atoi(step.event + 1)] = 0;
            else
                EXPECT_EQ(std::string(step.decision) == "S" ? 1 : Passed, FeedToken(step.event));
            std::string out = SynthesizedKeys(before);
            std::string side = TakeSideEffects();
            if (!side.empty())
                out += (out.empty() ? "" : " ") + side;
            EXPECT_EQ(step.out, out);
        }
        bool holding = false;
        for (int code = 0; code < 256; ++code) {
            EXPECT_EQ(0, Hook.live[code] & 0x7F) << "only 0 or 0x80";
            holding = holding || held[code];
        }
        for (int code = 0; code < 256 && !holding; ++code)
            EXPECT_EQ(0, Fake.systemKeys[code]) << code << " left down towards the system";
        EXPECT_EQ(0, Fake.strayMenuTaps) << "Alt or Win alone towards the system";
    }
}

INSTANTIATE_TEST_SUITE_P(DirectAndReentrant, HookSequences, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Reentrant" : "Direct";
                         });

class HookProc : public ::testing::Test {
protected:
    void SetUp() override { StartFreshLibrary(); }
};

TEST_F(HookProc, GenericModifiersFollowTheirSidesAfterEveryEvent)
{
    const struct {
        const char* event;
        BYTE shift, ctrl, alt;
    } steps[] = {
        {"+160", 0x80, 0, 0}, {"+163x", 0x80, 0x80, 0}, {"+164", 0x80, 0x80, 0x80},
        {"-160", 0, 0x80, 0x80}, {"-163x", 0, 0, 0x80}, {"+165i", 0, 0, 0x80},
        {"-164", 0, 0, 0},
    };
    for (const auto& s : steps) {
        FeedToken(s.event);
        EXPECT_EQ(s.shift, Hook.live[16]) << s.event;
        EXPECT_EQ(s.ctrl, Hook.live[17]) << s.event;
        EXPECT_EQ(s.alt, Hook.live[18]) << s.event;
    }
}

TEST_F(HookProc, InjectedAndNonActionEventsLeaveStateAlone)
{
    BYTE buffer[256] = {};
    SetLastCombBuffer(buffer);
    SetLastCombWindow(reinterpret_cast<HWND>(0x55));
    SetSendLastComb(1);
    FeedToken("+65i");
    FeedToken("+38xi");
    Feed(KeyRemapProc, 66, 0, -1);
    Feed(KeyRemapProc, 67, LLKHF_EXTENDED, 3);
    EXPECT_EQ(0, Hook.live[65]);
    EXPECT_EQ(0, Hook.live[66]);
    EXPECT_TRUE(MaskEmpty(Hook.lastCombSnapshot));
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(0, buffer[c]);
    EXPECT_TRUE(Fake.windowTexts.empty());
    ASSERT_EQ(4u, Fake.hookPasses.size());
    EXPECT_EQ(-1, Fake.hookPasses[2].code);
    EXPECT_EQ(3, Fake.hookPasses[3].code);
}

TEST_F(HookProc, CaptureModeReportsTheKeysOfTheLastPressAndSwallowsEverything)
{
    UseTable({Record({65}, BlockKey), Change({162, 65}, 66)});
    BYTE buffer[256];
    std::memset(buffer, 0x11, sizeof buffer);
    HWND field = reinterpret_cast<HWND>(0x1003);
    FeedToken("+13");
    FeedToken("-13"); // released before capture starts: nothing down
    EXPECT_EQ(0, SetLastCombWindow(field));
    EXPECT_EQ(buffer, SetLastCombBuffer(buffer));
    EXPECT_EQ(5, SetSendLastComb(5));

    const struct {
        const char* event;
        const char* text;
    } steps[] = {
        {"-13", "Return"}, // the first release shows the last press seen before
        {"+162", "Left.Ctrl"}, {"+65", "A+Left.Ctrl"}, {"-162", "A+Left.Ctrl"},
        {"-65", "A+Left.Ctrl"}, {"+66", "B"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.event);
        EXPECT_EQ(1, FeedToken(s.event));
        ASSERT_FALSE(Fake.windowTexts.empty());
        EXPECT_EQ(field, Fake.windowTexts.back().window);
        EXPECT_EQ(s.text, Fake.windowTexts.back().text);
        EXPECT_TRUE(MaskEqual(MaskOfKeys(buffer), Hook.lastCombSnapshot));
    }
    EXPECT_EQ(0x80, buffer[66]);
    EXPECT_EQ(0, buffer[65]);
    EXPECT_EQ("", SynthesizedKeys()) << "no combination acts while capturing";
    EXPECT_EQ("", TakeSideEffects());

    SetSendLastComb(0);
    EXPECT_EQ(1, FeedToken("+65")) << "blocked again once capture is off";
}

TEST_F(HookProc, ResetKeysStateForgetsHeldKeys)
{
    UseTable({Record({162, 65}, DisableCombination), Change({66}, 67)});
    FeedToken("+162");
    FeedToken("+66");
    std::size_t before = Fake.keyEvents.size();
    ResetKeysState();
    EXPECT_EQ("-67", SynthesizedKeys(before)) << "what the library pressed is released";
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(0, Hook.live[c]);
    EXPECT_EQ(Passed, FeedToken("+65")) << "left Ctrl is no longer known as held";
    EXPECT_EQ(Passed, FeedToken("-162"));
    EXPECT_EQ(0, Hook.live[162]);
}

TEST_F(HookProc, PluralFormsNeverTouchCode255AndReadOnlyExactDownBytes)
{
    BYTE all[256];
    std::memset(all, 0x80, sizeof all);
    all[10] = 0x81; // not exactly 0x80: skipped
    KeyBatch batch;
    BeginBatch(&batch);
    AddReleases(&batch, all, SentForRule);
    AddKey(&batch, 256, false, SentForRule);
    AddKey(&batch, -1, true, SentForRule);
    SendBatch(&batch);
    ASSERT_EQ(254u, Fake.keyEvents.size());
    EXPECT_EQ(1, Fake.sendInputCalls) << "in one piece";
    for (const FakeKeyEvent& e : Fake.keyEvents) {
        EXPECT_NE(255, e.vk);
        EXPECT_NE(10, e.vk);
    }
    EXPECT_EQ(std::string::npos, SynthesizedKeys().find('!')) << "each marked, with its own scan code";
    EXPECT_EQ(0, Fake.keyEvents.front().vk);
    EXPECT_EQ(254, Fake.keyEvents[253].vk);
}

TEST_F(HookProc, PayloadWithoutTerminatorIsReadToTheFieldEndOnly)
{
    CombinationRecord text = Record({65}, TypeText);
    CombinationRecord launch = Record({66}, LaunchApplication);
    std::memset(text.payload, 'x', sizeof text.payload);
    std::memset(launch.payload, 'y', sizeof launch.payload);
    UseTable({text, launch});
    FeedToken("+65");
    FeedToken("-65");
    char* typed = TakeNextText();
    ASSERT_NE(nullptr, typed);
    EXPECT_EQ(std::string(3000, 'x'), typed);
    OsFree(typed);
    FeedToken("+66");
    FeedToken("-66");
    RunQueuedLaunches();
    ASSERT_EQ(1u, Fake.shellOpens.size());
    EXPECT_EQ(std::string(3000, 'y'), Fake.shellOpens[0].file);
}

TEST_F(HookProc, StoredKeysThatWereNotFoldedAreFoldedAtLoad)
{
    CombinationRecord r = Record({}, DisableCombination);
    r.keys[65] = 0x81;
    r.keys[162] = 0xC0; // generic Ctrl missing, low bits set
    UseTable({r});
    EXPECT_EQ(0x80, Hook.table.records[0].keys[17]);
    EXPECT_EQ(0x80, Hook.table.records[0].keys[65]);
    FeedToken("+162");
    EXPECT_EQ(1, FeedToken("+65"));
}

TEST_F(HookProc, LaunchesWaitInOrderAndAFullQueueBeeps)
{
    UseTable({Record({65}, LaunchApplication, "slow")});
    for (int i = 0; i < LaunchSlots + 1; ++i) {
        FeedToken("+65");
        EXPECT_EQ(1, FeedToken("-65")) << "swallowed even when dropped";
    }
    ASSERT_EQ(1u, Fake.beeps.size());
    EXPECT_EQ(MB_ICONASTERISK, Fake.beeps[0]);
    EXPECT_TRUE(Fake.shellOpens.empty()) << "nothing is opened inside the hook";
    EXPECT_EQ(LaunchSlots, RunQueuedLaunches());
    EXPECT_EQ(static_cast<std::size_t>(LaunchSlots), Fake.shellOpens.size());
}
} // namespace
