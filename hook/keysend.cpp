#include "keysend.h"

#include "keystate.h"

void BeginBatch(KeyBatch* batch)
{
    batch->count = 0;
    batch->layoutKnown = false;
}

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
} // namespace

void AddKey(KeyBatch* batch, int vk, bool up, ULONG_PTR reason)
{
    if (vk < 0 || vk > 255)
        return;
    // The E0 prefix of the key's own scan code makes it an extended key: the
    // arrows are, right Shift is not.
    if (!batch->layoutKnown)
        UseLayout(batch, OsForegroundLayout());
    unsigned scan = OsScanCodeOf(static_cast<BYTE>(vk), batch->layout);
    DWORD flags = up ? KEYEVENTF_KEYUP : 0;
    if ((scan >> 8) == 0xE0)
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

void SendBatch(KeyBatch* batch)
{
    int count = batch->count;
    batch->count = 0;
    if (count > 0)
        OsSendKeys(batch->inputs, count);
}
