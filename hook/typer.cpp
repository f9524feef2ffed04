#include "typer.h"

#include <cstdio>
#include <cstring>

#include "keysend.h"
#include "keystate.h"
#include "mappingfile.h"
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
    // Without its wake-up signal the typer's wait would return at once, forever.
    if (!OsSignalInit(&Queue.wake) || !OsSignalInit(&Queue.pressedAgain) ||
        !OsStartThread(TyperThread, nullptr)) {
        ReportLastError("InitializeThreadedTyper");
        OsExitProcess(2);
    }
}

void TyperThread(void*)
{
    for (;;) {
        BYTE held[KeyCount];
        bool capsLock = false;
        char* text = TakeNextText(held, &capsLock);
        if (!text) {
            OsSignalWait(&Queue.wake, OsWaitForever);
            continue;
        }
        TypeString(text, held, capsLock);
        OsFree(text);
    }
}

namespace {
const int TextUnits = PayloadSize; // a stored text is at most 2999 bytes

bool HoldsMenuKey(const BYTE* held)
{
    return held[0x12] == KeyDown || held[0xA4] == KeyDown || held[0xA5] == KeyDown ||
           held[0x5B] == KeyDown || held[0x5C] == KeyDown;
}

bool HoldsAny(const BYTE* held)
{
    for (int code = 0; code < 255; ++code)
        if (held[code] == KeyDown)
            return true;
    return false;
}

// Returns whether it used Shift, which may be one the user holds.
bool TypeKey(KeyBatch* batch, int vk, bool shift)
{
    if (shift)
        AddKey(batch, 0xA0, false, SentByTyper);
    AddKey(batch, vk, false, SentByTyper);
    AddKey(batch, vk, true, SentByTyper);
    if (shift)
        AddKey(batch, 0xA0, true, SentByTyper);
    return shift;
}
} // namespace

void TypeString(const char* text, const BYTE* held, bool capsLock)
{
    KeyBatch batch;
    BeginBatch(&batch);
    OsLayout layout = OsForegroundLayout();
    UseLayout(&batch, layout);

    bool letGo = held && HoldsAny(held);
    // Also for the user's Shift, which a character may let go of.
    TyperLettingGo.store(true);
    if (letGo) {
        // A mask first, so that letting go of Alt or Win opens no menu.
        if (HoldsMenuKey(held))
            AddMaskTap(&batch, SentByTyper);
        AddReleases(&batch, held, SentByTyper);
    }

    // The whole text at once: a character of a double-byte code page is two bytes.
    unsigned short wide[TextUnits];
    std::size_t bytes = std::strlen(text);
    int length = OsAnsiToUnicode(text, static_cast<int>(bytes < TextUnits ? bytes : TextUnits), wide,
                                 TextUnits);
    for (int i = 0; i < length; ++i) {
        unsigned short ch = wide[i];
        if (ch == '\r' && i + 1 < length && wide[i + 1] == '\n')
            continue;
        if (ch == '\r' || ch == '\n') {
            TypeKey(&batch, 0x0D, false); // one Return, whatever the layout gives for LF
        } else if (ch == '\t') {
            TypeKey(&batch, 0x09, false);
        } else {
            short scan = OsVkKeyScan(ch, layout);
            int shiftState = scan == -1 ? 0 : (scan >> 8) & 0xFF;
            // A character the layout gives only with Ctrl or Alt (AltGr), or
            // not at all, would come out wrong as key presses: send the character.
            if (ch >= 0x20 && (scan == -1 || (shiftState & 0x06))) {
                AddCharacter(&batch, ch, false, SentByTyper);
                AddCharacter(&batch, ch, true, SentByTyper);
            } else {
                bool shift = (shiftState & 0x01) != 0;
                // Caps Lock turns the letters: Shift turns them back.
                if (capsLock && OsIsCasedLetter(ch))
                    shift = !shift;
                letGo = TypeKey(&batch, scan & 0xFF, shift) || letGo;
            }
        }
        // Each run between the pauses goes out in one piece, so the user's own
        // keys cannot land inside it.
        if ((i + 1) % 50 == 0) {
            SendBatch(&batch);
            OsSleep(10);
        }
    }
    // What the typer let go of, the user's own Shift among them, the hook
    // presses again if the user still holds it.
    if (!letGo) {
        SendBatch(&batch);
        TyperLettingGo.store(false);
        return;
    }
    AddMaskTap(&batch, SentTyperDone);
    SendBatch(&batch);
    // The next text's keys must not overtake the hook's presses; without a
    // hook (remapping off, or one the system dropped) nobody answers, and
    // the hook must not go on trusting its record of held keys for ever.
    OsSignalWait(&Queue.pressedAgain, 1000);
    TyperLettingGo.store(false);
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
