#include "typingqueue.h"

#include <cstring>

TypingQueue Queue;
std::atomic<bool> TyperLettingGo;

void ResetTypingQueue()
{
    for (int i = 0; i < TypingSlots; ++i)
        Queue.slots[i] = nullptr;
    Queue.readIndex = 0;
    Queue.writeIndex = 1;
}

void EnqueueText(const char* text, std::size_t maxLength, const BYTE* held, bool capsLock)
{
    const void* end = std::memchr(text, 0, maxLength);
    std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : maxLength;
    char* copy = static_cast<char*>(OsAllocate(length + 1));
    if (!copy) {
        OsMessageBeep(MB_ICONASTERISK);
        return;
    }
    std::memcpy(copy, text, length);
    copy[length] = 0;

    OsLockEnter(&Queue.lock);
    if ((Queue.writeIndex + 1) % TypingSlots == Queue.readIndex) {
        OsLockLeave(&Queue.lock);
        OsFree(copy);
        OsMessageBeep(MB_ICONASTERISK);
        return;
    }
    Queue.slots[Queue.writeIndex] = copy;
    if (held)
        std::memcpy(Queue.held[Queue.writeIndex], held, sizeof Queue.held[0]);
    else
        std::memset(Queue.held[Queue.writeIndex], 0, sizeof Queue.held[0]);
    Queue.capsLock[Queue.writeIndex] = capsLock;
    Queue.writeIndex = (Queue.writeIndex + 1) % TypingSlots;
    OsLockLeave(&Queue.lock);
    OsSignalRaise(&Queue.wake);
}

char* TakeNextText(BYTE* held, bool* capsLock)
{
    OsLockEnter(&Queue.lock);
    int next = (Queue.readIndex + 1) % TypingSlots;
    if (next == Queue.writeIndex) {
        OsLockLeave(&Queue.lock);
        return nullptr;
    }
    Queue.slots[Queue.readIndex] = nullptr;
    char* text = Queue.slots[next];
    if (held)
        std::memcpy(held, Queue.held[next], sizeof Queue.held[0]);
    if (capsLock)
        *capsLock = Queue.capsLock[next];
    Queue.readIndex = next;
    OsLockLeave(&Queue.lock);
    return text;
}

int WaitingTexts()
{
    OsLockEnter(&Queue.lock);
    int waiting = (Queue.writeIndex - Queue.readIndex - 1 + TypingSlots) % TypingSlots;
    OsLockLeave(&Queue.lock);
    return waiting;
}
