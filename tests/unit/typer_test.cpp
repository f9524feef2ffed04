#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hook_support.h"

namespace {
class TypingQueueTest : public ::testing::Test {
protected:
    void SetUp() override { StartFreshLibrary(); }

    std::vector<std::string> TakeAll()
    {
        std::vector<std::string> texts;
        while (char* t = TakeNextText()) {
            texts.push_back(t);
            OsFree(t);
        }
        return texts;
    }
};

TEST_F(TypingQueueTest, TwelveWaitAndTheThirteenthBeeps)
{
    EXPECT_EQ(nullptr, TakeNextText());
    for (int i = 0; i < 12; ++i)
        EnqueueText(std::to_string(i).c_str(), 100);
    EXPECT_TRUE(Fake.beeps.empty());
    EXPECT_EQ(12, WaitingTexts());
    EnqueueText("dropped", 100);
    ASSERT_EQ(1u, Fake.beeps.size());
    EXPECT_EQ(MB_ICONASTERISK, Fake.beeps[0]);
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i)
        expected.push_back(std::to_string(i));
    EXPECT_EQ(expected, TakeAll());
}

TEST_F(TypingQueueTest, KeepsOrderAcrossTheWrapAround)
{
    for (int round = 0; round < 40; ++round) {
        EnqueueText(("a" + std::to_string(round)).c_str(), 100);
        EnqueueText(("b" + std::to_string(round)).c_str(), 100);
        char* first = TakeNextText();
        ASSERT_NE(nullptr, first);
        EXPECT_EQ("a" + std::to_string(round), first);
        OsFree(first);
        char* second = TakeNextText();
        ASSERT_NE(nullptr, second);
        EXPECT_EQ("b" + std::to_string(round), second);
        OsFree(second);
    }
    EXPECT_EQ(nullptr, TakeNextText());
    // Back at the start the queue takes twelve again.
    for (int i = 0; i < 13; ++i)
        EnqueueText("x", 100);
    EXPECT_EQ(1u, Fake.beeps.size());
    EXPECT_EQ(12u, TakeAll().size());
}

TEST_F(TypingQueueTest, AFailedCopyIsDroppedWithTheSameBeep)
{
    Fake.allocationsLeft = 0;
    EnqueueText("lost", 100);
    EXPECT_EQ(1u, Fake.beeps.size());
    EXPECT_EQ(0, WaitingTexts());
    Fake.allocationsLeft = -1;
    EnqueueText("kept", 100);
    EXPECT_EQ(std::vector<std::string>{"kept"}, TakeAll());
}

TEST_F(TypingQueueTest, ResetEmptiesIt)
{
    EnqueueText("one", 100);
    char* orphan = Queue.slots[1]; // reset runs before any text exists; free it here
    ResetTypingQueue();
    OsFree(orphan);
    EXPECT_EQ(nullptr, TakeNextText());
    EXPECT_EQ(0, WaitingTexts());
}

class TyperTest : public ::testing::Test {
protected:
    void SetUp() override { StartFreshLibrary(); }

    // The keys sent for `text`, or without one for the queued texts as the typer takes them.
    std::string Typed(const char* text = nullptr)
    {
        std::size_t before = Fake.keyEvents.size();
        if (text)
            TypeString(text);
        else
            TakeSideEffects(true);
        return SynthesizedKeys(before);
    }
};

TEST_F(TyperTest, TypesEachCharacterWithItsLayoutKey)
{
    const struct {
        const char* text;
        const char* keys;
    } cases[] = {
        {"", ""},
        {"Hi", "+160 +72 -72 -160 +73 -73 +232 -232"}, // a Shift held is asked for again
        {"a\r\nb", "+65 -65 +13 -13 +66 -66"},     // one Return for the line break
        {"a\rb", "+65 -65 +13 -13 +66 -66"},       // a lone carriage return is typed
        {"\r\n\r\n", "+13 -13 +13 -13"},
        {"\t!", "+9 -9 +160 +49 -49 -160 +232 -232"},
        {"a\n\tb", "+65 -65 +13 -13 +9 -9 +66 -66"}, // whatever the layout's table says
        {"a\x82\xA0" "b", "+65 -65 u+82A0 u-82A0 +66 -66"}, // converted as a whole: two bytes, one character
    };
    Fake.doubleByte = true;
    Fake.layout[static_cast<unsigned char>('\n')] = 0x26A; // a layout's Linefeed key
    Fake.layout[static_cast<unsigned char>('\t')] = -1;
    for (const auto& c : cases)
        EXPECT_EQ(c.keys, Typed(c.text)) << c.text;
}

TEST_F(TyperTest, TextsComeOutAsStoredAndWhatTheUserStillHoldsIsPressedAgainAfter)
{
    Fake.reinject = [](const FakeKeyEvent& e) { ReinjectInto(KeyRemapProc, e); };
    UseTable({Record({164, 84}, TypeText, "x"), Record({162, 84}, TypeText, "y"), Record({162, 72}, TypeText, "Hi!")});
    const struct {
        std::vector<int> keys; // the user's, releases negative; then the typer's turn
        const char* typed;
    } cases[] = {
        {{164, 84}, "+232 -232 -164 +88 -88 +232 -232 +164 +232 -232"}, // swallowed with Alt alone down: masked
        {{-84, -164, 162, 84, 84}, "-162 +89 -89 +232 -232 +162 -162 +89 -89 +232 -232 +162"}, // Ctrl let go again
        {{-84, -162, 162, 84, -84, -162}, "-162 +89 -89 +232 -232"}, // let go before the typer came to it
        // Caps Lock on (a press, its repeat, the release): Shift turns the letters back.
        {{20, 20, -20, 162, 72, -72}, "-162 +72 -72 +160 +73 -73 -160 +160 +49 -49 -160 +232 -232 +162"},
    };
    for (const auto& c : cases) {
        for (int k : c.keys)
            Feed(KeyRemapProc, k < 0 ? -k : k, k < 0 ? LLKHF_UP : 0);
        EXPECT_EQ(c.typed, Typed());
    }
    Feed(KeyRemapProc, 162, LLKHF_UP);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(0, Fake.systemKeys[code]) << code;
    EXPECT_EQ(0, Fake.strayMenuTaps);
    Fake.foregroundLayout = FakeOtherLayout; // Y and Z swapped, scan codes too
    EXPECT_EQ("+89 -89 +160 +90 -90 -160 +232 -232", Typed("zY"));
}

TEST_F(TyperTest, CharactersTheLayoutGivesOnlyWithCtrlOrAltOrNotAtAllAreSentAsCharacters)
{
    // A German-like layout: '@' is AltGr+Q, '{' AltGr+7; 'e' acute has no key.
    Fake.layout[static_cast<unsigned char>('@')] = 0x600 | 'Q';
    Fake.layout[static_cast<unsigned char>('{')] = 0x600 | '7';
    Fake.layout[0xE9] = -1;
    const char text[] = {'@', 'a', '{', static_cast<char>(0xE9), static_cast<char>(0x80), 0};
    Fake.layout[0x80] = -1; // the euro sign of code page 1252
    EXPECT_EQ("u+40 u-40 +65 -65 u+7B u-7B u+E9 u-E9 u+20AC u-20AC", Typed(text));

    // A character with neither a key nor a Unicode form keeps the old course.
    Fake.layout[0x81] = -1;
    const char unmapped[] = {static_cast<char>(0x81), 0};
    EXPECT_EQ("+255 -255", Typed(unmapped));
}

TEST_F(TyperTest, ReleasesHeldKeysFirstAndPausesEveryFiftyPositions)
{
    UseTable({Record({162, 84}, TypeText, "")});
    Feed(KeyRemapProc, 162, 0);
    Feed(KeyRemapProc, 84, 0);
    EXPECT_EQ("-162 +232 -232", Typed()) << "the keys down towards the system";
    EXPECT_FALSE(TyperLettingGo.load()) << "no hook answered: held keys are asked about again";
    EXPECT_TRUE(Fake.sleeps.empty());

    ResetKeysState();
    std::string text(120, 'a');
    text[49] = '\r'; // position 50 is a skipped carriage return: no pause there
    text[50] = '\n';
    Fake.sleeps.clear();
    Typed(text.c_str());
    EXPECT_EQ(std::vector<DWORD>{10}, Fake.sleeps) << "only after position 100";
    std::string again(150, 'b');
    Fake.sleeps.clear();
    Fake.sendInputCalls = 0;
    Typed(again.c_str());
    EXPECT_EQ((std::vector<DWORD>{10, 10, 10}), Fake.sleeps);
    EXPECT_EQ(3, Fake.sendInputCalls) << "each run between the pauses in one piece";
}

TEST_F(TyperTest, StartsOnceAndEndsTheProcessWhenItCannotStart)
{
    EXPECT_EQ(2u, Fake.threads.size()) << "typer and launcher";
    InitializeThreadedTyper();
    EXPECT_EQ(2u, Fake.threads.size());

    FakeReset();
    Typer.started = false;
    Fake.failThreadStart = true;
    Fake.lastError = 8;
    InitializeThreadedTyper();
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ("InitializeThreadedTyper failed with error 8: System error 8.",
              Fake.messageBoxes[0].text);
    EXPECT_EQ("Error", Fake.messageBoxes[0].caption);
    EXPECT_EQ(MB_OK, Fake.messageBoxes[0].type);
    EXPECT_EQ(std::vector<UINT>{2}, Fake.exitCodes);

    // The launcher, without its wake-up signal, too.
    FakeReset();
    Launches.started = false;
    Fake.failSignalInit = true;
    InitializeLauncher();
    ASSERT_EQ(1u, Fake.messageBoxes.size());
    EXPECT_EQ("InitializeLauncher failed with error 0: System error 0.", Fake.messageBoxes[0].text);
    EXPECT_EQ(std::vector<UINT>{2}, Fake.exitCodes);
}
} // namespace
