// The ring of texts that the hook hands to the typer thread.
#pragma once

#include <cstddef>

#include "platform.h"

const int TypingSlots = 14; // at most 12 texts wait at a time

struct TypingQueue {
    char* slots[TypingSlots];
    int readIndex;  // the slot of the text taken last
    int writeIndex; // the slot the next text goes into
    OsLock lock;    // guards slots and both indices, never held while copying
};
extern TypingQueue Queue;

void ResetTypingQueue();
// Queues a copy of `text` (at most `maxLength` characters of it). A full
// queue, or a copy that cannot be allocated, drops the text with a beep.
void EnqueueText(const char* text, std::size_t maxLength);
// The oldest waiting text, now the caller's (free with OsFree); null if none.
char* TakeNextText();
// Texts waiting now.
int WaitingTexts();
