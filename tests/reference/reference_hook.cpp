#include "reference_hook.h"

#include <cstring>
#include <initializer_list>

#include "keynames.h"
#include "keysend.h"
#include "keystate.h"
#include "launcher.h"
#include "platform.h"
#include "typingqueue.h"
#include "webaddress.h"

ReferenceHook Reference;

void ResetReferenceHook(CombinationTable* table)
{
    std::memset(&Reference, 0, sizeof Reference);
    Reference.table = table;
}

namespace {
void Send(int vk, bool up, ULONG_PTR reason = SentForRule)
{
    KeyBatch batch;
    BeginBatch(&batch);
    AddKey(&batch, vk, up, reason);
    SendBatch(&batch);
}
void Press(int vk)
{
    Send(vk, false);
    Reference.pressedDown[vk] = 1;
}
// Windows releases the left-hand key for a generic Shift, Ctrl or Alt code,
// and either code's release releases the key.
int Alias(int vk)
{
    switch (vk) {
    case 16: return 160;
    case 17: return 162;
    case 18: return 164;
    case 160: return 16;
    case 162: return 17;
    case 164: return 18;
    default: return vk;
    }
}
void Release(int vk)
{
    Send(vk, true);
    Reference.pressedDown[vk] = Reference.pressedDown[Alias(vk)] = 0;
    Reference.passedDown[vk] = Reference.passedDown[Alias(vk)] = 0;
}
bool Down(int vk)
{
    ReferenceHook& h = Reference;
    return h.passedDown[vk] || h.pressedDown[vk] || h.passedDown[Alias(vk)] || h.pressedDown[Alias(vk)];
}
// After a target: the modifiers that the user holds, whose press was passed
// on and that are up towards the system, go down again for the user.
void PressHeldAgain()
{
    for (int vk : {160, 161, 162, 163, 164, 165, 91, 92}) {
        if (Reference.reached[vk] && Reference.live[vk] && !Down(vk)) {
            Send(vk, false, SentHeldAgain);
            Reference.passedDown[vk] = 1;
        }
    }
}
void ReleasePressed()
{
    for (int c = 0; c <= 255; ++c)
        if (Reference.pressedDown[c])
            Release(c);
}
// Swallowed or passed on, then: a release whose press reached the system
// goes on, and with no key held every synthesized press is released.
LRESULT Finish(bool swallow, int code, WPARAM wParam, LPARAM lParam, int vk, bool down)
{
    ReferenceHook& h = Reference;
    if (!down && (h.passedDown[vk] || h.pressedDown[vk]))
        swallow = false;
    if (!swallow) {
        h.passedDown[vk] = h.reached[vk] = down ? 1 : 0;
        if (!down)
            h.pressedDown[vk] = 0;
    }
    bool anyHeld = false;
    for (int c = 0; c <= 255; ++c)
        anyHeld = anyHeld || h.live[c] != 0;
    if (!down && !anyHeld)
        ReleasePressed();
    return swallow ? 1 : OsCallNextHook(code, wParam, lParam);
}
void ReleaseAll(const BYTE* keys)
{
    for (int c = 0; c <= 254; ++c)
        if (keys[c] == 0x80)
            Release(c);
}
// A target's Ctrl, Alt and Shift flags (payload bytes 1 to 3) name these keys.
const int TargetModifiers[3] = {17, 164, 160};
void PressTarget(const char* p)
{
    for (int m = 0; m < 3; ++m)
        if (p[1 + m])
            Press(TargetModifiers[m]);
    Press(static_cast<BYTE>(p[0]));
}
void ReleaseTarget(const char* p)
{
    Release(static_cast<BYTE>(p[0]));
    for (int m = 0; m < 3; ++m)
        if (p[1 + m])
            Release(TargetModifiers[m]);
    PressHeldAgain();
}
} // namespace

LRESULT ReferenceRemapProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != 0)
        return OsCallNextHook(code, wParam, lParam);
    const KBDLLHOOKSTRUCT* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    int vk = e->vkCode & 0xFF;
    bool down = !(e->flags & 0x80);
    ReferenceHook& h = Reference;
    if (!(e->flags & 0x10)) {
        h.live[vk] = down ? 0x80 : 0;
        if (!down)
            h.reached[vk] = 0;
    }
    h.live[16] = h.live[160] | h.live[161];
    h.live[17] = h.live[162] | h.live[163];
    h.live[18] = h.live[164] | h.live[165];
    if (e->flags & 0x10)
        return OsCallNextHook(code, wParam, lParam);
    if (down)
        std::memcpy(h.lastCombSnapshot, h.live, 256);
    if (h.sendLastComb) {
        std::memcpy(h.lastCombBuffer, h.lastCombSnapshot, 256);
        char text[500];
        GetCombinationText(h.lastCombSnapshot, text, 500);
        OsSetWindowText(h.lastCombWindow, text);
        return Finish(true, code, wParam, lParam, vk, down);
    }
    BYTE live[256];
    std::memcpy(live, h.live, 256);

    for (int i = 0; i < h.table->count; ++i) {
        CombinationRecord& r = h.table->records[i];
        if (r.action == BlockKey) {
            if (r.keys[vk])
                return Finish(true, code, wParam, lParam, vk, down);
            continue;
        }
        if (r.action != ChangeKey)
            continue;
        if (!(KeysMatch(live, r.keys) && r.keys[vk]) && !(IsSingleKey(r.keys) && r.keys[vk]))
            continue;
        BYTE others[256];
        std::memcpy(others, r.keys, 256);
        others[vk] = 0;
        if (down) {
            if (vk == 17 || vk == 18 || vk == 162 || vk == 163 || vk == 164 || vk == 165)
                Release(vk);
            ReleaseAll(others);
            PressTarget(r.payload);
        } else {
            // The keys of the combination still held are not pressed again
            // here: the library presses the held modifiers, which the
            // comparison leaves out.
            ReleaseTarget(r.payload);
        }
        return Finish(true, code, wParam, lParam, vk, down);
    }

    live[vk] = 0x80;
    for (int i = 0; i < h.table->count; ++i) {
        CombinationRecord& r = h.table->records[i];
        if (!KeysMatch(live, r.keys))
            continue;
        switch (r.action) {
        case TypeText:
            if (down)
                EnqueueText(r.payload, PayloadSize);
            break;
        case LaunchApplication:
            if (!down)
                QueueLaunch(r.payload, PayloadSize);
            break;
        case GoToUrl:
            if (!down && IsWebAddress(r.payload))
                QueueLaunch(r.payload, PayloadSize);
            else if (!down)
                OsMessageBeep(MB_ICONASTERISK);
            break;
        case ChangeKey:
            if (down)
                PressTarget(r.payload);
            else
                ReleaseTarget(r.payload);
            break;
        default:
            break;
        }
        return Finish(true, code, wParam, lParam, vk, down);
    }
    return Finish(false, code, wParam, lParam, vk, down);
}

void ReferenceResetKeysState()
{
    ReleasePressed();
    PressHeldAgain();
    std::memset(Reference.live, 0, 256);
    std::memset(Reference.reached, 0, 256);
}

void ReferenceReplaceTable(CombinationTable* table)
{
    Reference.table = table;
    ReleasePressed();
    PressHeldAgain();
}
