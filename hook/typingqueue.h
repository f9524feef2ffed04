// The ring of texts that the hook hands to the typer thread.
#pragma once

#include <atomic>
#include <cstddef>

#include "platform.h"

const int TypingSlots = 14; // at most 12 texts wait at a time

struct TypingQueue {
    char* slots[TypingSlots];
    // With each text, the keys down towards the system when it was queued
    // (0x80 each): the typer lets them go first.
    BYTE held[TypingSlots][256];
    bool capsLock[TypingSlots]; // and whether Caps Lock was on
    int readIndex;  // the slot of the text taken last
    int writeIndex; // the slot the next text goes into
    OsLock lock;    // guards slots, held keys and both indices, never held while copying a text
    OsSignal wake;  // raised for every text queued
    // Raised by the hook once it has pressed again what the user holds after
    // a text: the typer waits for it before it goes on.
    OsSignal pressedAgain;
};
extern TypingQueue Queue;
// Set by the typer before it lets go of keys the user holds, cleared by the
// hook when the text's end comes back: meanwhile the system's key state may
// already show a release that the hook has not seen yet, so the hook does not
// take a held key for one let go elsewhere.
extern std::atomic<bool> TyperLettingGo;

void ResetTypingQueue();
// Queues a copy of `text` (at most `maxLength` characters of it) with the
// keys `held` (none when null) and the state of Caps Lock. A full queue, or a copy that cannot be
// allocated, drops the text with a beep.
void EnqueueText(const char* text, std::size_t maxLength, const BYTE* held = nullptr, bool capsLock = false);
// The oldest waiting text, now the caller's (free with OsFree), its keys and
// Caps Lock when asked for; null if none.
char* TakeNextText(BYTE* held = nullptr, bool* capsLock = nullptr);
// Texts waiting now.
int WaitingTexts();
