#include "typer.h"

#include <cstdio>
#include <cstring>

#include "hookproc.h"
#include "keystate.h"
#include "platform.h"
#include "typingqueue.h"

TyperState Typer;

void InitializeThreadedTyper()
{
    if (Typer.started)
        return;
    OsLockInit(&Queue.lock);
    ResetTypingQueue();
    Typer.started = true;
    if (!OsStartThread(TyperThread, nullptr)) {
        ReportLastError("InitializeThreadedTyper");
        OsExitProcess(2);
    }
}

void TyperThread(void*)
{
    for (;;) {
        char* text = TakeNextText();
        if (!text) {
            OsSleep(50);
            continue;
        }
        TypeString(text);
        OsFree(text);
    }
}

namespace {
void TypeUnicode(char ch)
{
    unsigned short wide = OsAnsiToUnicode(ch);
    OsSendUnicodeChar(wide, false);
    OsSendUnicodeChar(wide, true);
}
} // namespace

void TypeString(const char* text)
{
    BYTE held[KeyCount];
    std::memcpy(held, Hook.live, KeyCount);
    ReleaseKeys(held);

    for (std::size_t i = 0; text[i]; ++i) {
        char ch = text[i];
        if (ch == '\r' && text[i + 1] == '\n')
            continue;
        short scan = OsVkKeyScan(ch);
        int shiftState = scan == -1 ? 0 : (scan >> 8) & 0xFF;
        int vk = scan & 0xFF;
        bool printable = static_cast<unsigned char>(ch) >= 0x20;
        // A character the layout gives only with Ctrl or Alt (AltGr), or not
        // at all, would come out wrong as key presses: send the character.
        if (printable && (scan == -1 || (shiftState & 0x06)) && OsAnsiToUnicode(ch) != 0) {
            TypeUnicode(ch);
        } else if (shiftState & 0x01) {
            PressKey(0xA0);
            PressKey(vk);
            ReleaseKey(vk);
            ReleaseKey(0xA0);
        } else {
            PressKey(vk);
            ReleaseKey(vk);
        }
        if ((i + 1) % 50 == 0)
            OsSleep(10);
    }
}

void ReportLastError(const char* operation)
{
    DWORD code = OsLastError();
    char system[1024];
    OsSystemErrorText(code, system, sizeof system);
    char message[1024 + 300];
    std::snprintf(message, sizeof message, "%s failed with error %d: %s", operation,
                  static_cast<int>(code), system);
    OsMessageBox(nullptr, message, "Error", MB_OK);
}
