// The hook's thread queues texts while the real typer thread types them.
// Built alone (the typer never stops) and run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "hook_support.h"

namespace {
void Pause(long microseconds)
{
    struct timespec t = {0, microseconds * 1000L};
    nanosleep(&t, nullptr);
}

// The letters typed so far, read back from the synthesized key presses.
std::string TypedLetters()
{
    std::string letters;
    for (const FakeKeyEvent& e : FakeKeyEventsSoFar())
        if (!(e.flags & KEYEVENTF_KEYUP) && e.vk >= 'A' && e.vk <= 'Z')
            letters += static_cast<char>(e.vk - 'A' + 'a');
    return letters;
}

TEST(TypingStress, EveryQueuedTextIsTypedWholeAndInOrder)
{
    StartFreshLibrary();
    Typer.started = false;
    Fake.threads.clear();
    Fake.runThreads = true;
    InitializeThreadedTyper();
    ASSERT_EQ(1u, Fake.threads.size());

    const int texts = 400;
    std::string expected;
    int dropped = 0;
    for (int i = 0; i < texts; ++i) {
        std::string text;
        for (int n = i; ; n /= 26) {
            text += static_cast<char>('a' + n % 26);
            if (n < 26)
                break;
        }
        text += 'z';
        // Every seventh text is sent without waiting for room, so that a full
        // queue drops some; the others wait until a slot is free.
        if (i % 7 != 0)
            for (int tries = 0; WaitingTexts() >= 12 && tries < 200000; ++tries)
                Pause(50);
        std::size_t beeps = Fake.beeps.size();
        EnqueueText(text.c_str(), text.size());
        if (Fake.beeps.size() > beeps)
            ++dropped;
        else
            expected += text;
    }

    std::string typed;
    for (int tries = 0; tries < 20000; ++tries) { // up to 20 s
        typed = TypedLetters();
        if (typed.size() >= expected.size() && WaitingTexts() == 0)
            break;
        Pause(1000);
    }
    EXPECT_EQ(expected, typed);
    EXPECT_EQ(static_cast<std::size_t>(dropped), Fake.beeps.size());
    std::printf("%d texts queued, %d dropped while full\n", texts - dropped, dropped);
}
} // namespace

// The typer thread is never stopped, so the process ends without running the
// static destructors that it could still touch.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::_Exit(result);
}
