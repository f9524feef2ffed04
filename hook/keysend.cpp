#include "keysend.h"

#include "keystate.h"

void UseLayout(KeyBatch* batch, OsLayout layout)
{
    batch->layout = layout;
    batch->layoutKnown = true;
}

namespace {
void Add(KeyBatch* batch, WORD vk, WORD scan, DWORD flags, ULONG_PTR reason)
{
    if (batch->count == OsMaxKeyInputs)
        SendBatch(batch);
    OsKeyInput& input = batch->inputs[batch->count++];
    input.vk = vk;
    input.scan = scan;
    input.flags = flags;
    input.extraInfo = QuillonMark | reason;
}

// The keys a keyboard sends with the E0 prefix. Some layout tables answer
// without it for the block that shares its scan codes with the numeric pad
// (the arrows, Insert, Home...); the key is extended all the same.
bool SentWithE0(int vk)
{
    switch (vk) {
    case 0x03: // Break
    case 0x21: case 0x22: case 0x23: case 0x24: // Page Up, Page Down, End, Home
    case 0x25: case 0x26: case 0x27: case 0x28: // the arrows
    case 0x2C: case 0x2D: case 0x2E:            // Print Screen, Insert, Delete
    case 0x5B: case 0x5C: case 0x5D: case 0x5F: // both Win keys, Apps, Sleep
    case 0x6F: case 0x90:                       // numeric-pad Divide, Num Lock
    case 0xA3: case 0xA5:                       // right Ctrl, right Alt
        return true;
    default:
        return vk >= 0xA6 && vk <= 0xB7; // the browser, volume, media and launch keys
    }
}
} // namespace

void AddKey(KeyBatch* batch, int vk, bool up, ULONG_PTR reason)
{
    if (vk < 0 || vk > 255)
        return;
    // Right Shift is not extended: its scan code is 0x36 alone.
    if (!batch->layoutKnown)
        UseLayout(batch, OsForegroundLayout());
    unsigned scan = OsScanCodeOf(static_cast<BYTE>(vk), batch->layout);
    DWORD flags = up ? KEYEVENTF_KEYUP : 0;
    if ((scan >> 8) == 0xE0 || SentWithE0(vk))
        flags |= KEYEVENTF_EXTENDEDKEY;
    Add(batch, static_cast<WORD>(vk), static_cast<WORD>(scan & 0xFF), flags, reason);
}

void AddMaskTap(KeyBatch* batch, ULONG_PTR reason)
{
    AddKey(batch, MaskKey, false, reason);
    AddKey(batch, MaskKey, true, reason);
}

void AddCharacter(KeyBatch* batch, unsigned short unit, bool up, ULONG_PTR reason)
{
    Add(batch, 0, unit, KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0), reason);
}

void AddReleases(KeyBatch* batch, const BYTE* keys, ULONG_PTR reason)
{
    for (int code = 0; code < 255; ++code)
        if (keys[code] == KeyDown)
            AddKey(batch, code, true, reason);
}
