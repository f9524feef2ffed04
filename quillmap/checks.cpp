#include "checks.h"

#include <cstdio>
#include <cstring>

#include "keystate.h"
#include "webaddress.h"

const char* const NotWebAddressText =
    "url: Quillon opens only an http:// or https:// address without blanks or quotes (launch starts a program or a file)";

namespace {

struct Reporter {
    FindingProc report;
    void* context;
    int findings;
};

void Report(Reporter* r, int record, const char* text)
{
    r->report(record, text, r->context);
    ++r->findings;
}

bool HasKey(const BYTE* keys)
{
    for (int code = 0; code < KeyCount; ++code)
        if (keys[code] & KeyDown)
            return true;
    return false;
}

bool StrayKeyBytes(const BYTE* keys)
{
    for (int code = 0; code < KeyCount; ++code)
        if (keys[code] != 0 && keys[code] != KeyDown)
            return true;
    return false;
}

bool IsTextAction(BYTE action)
{
    return action == TypeText || action == LaunchApplication || action == GoToUrl || action > BlockKey;
}

// BlockKey and ChangeKey are tried before every whole-combination record.
int PassOf(BYTE action) { return action == BlockKey || action == ChangeKey ? 1 : 2; }

void FoldedKeys(const CombinationRecord* record, BYTE* keys)
{
    std::memcpy(keys, record->keys, KeyCount);
    FoldModifiers(keys);
}

// The record that always acts before record j on j's keys, or -1.
int Shadowing(const CombinationTable* table, int j)
{
    const CombinationRecord* mine = &table->records[j];
    BYTE keys[KeyCount];
    FoldedKeys(mine, keys);
    for (int i = 0; i < table->count; ++i) {
        const CombinationRecord* other = &table->records[i];
        if (i == j || PassOf(other->action) > PassOf(mine->action))
            continue;
        if (PassOf(other->action) == PassOf(mine->action) && i > j)
            continue;
        BYTE otherKeys[KeyCount];
        FoldedKeys(other, otherKeys);
        if (std::memcmp(keys, otherKeys, KeyCount) == 0)
            return i;
    }
    return -1;
}

void CheckRecord(const CombinationTable* table, int index, Reporter* r)
{
    const CombinationRecord* record = &table->records[index];
    int number = index + 1;
    char text[160];
    if (record->action > BlockKey) {
        std::snprintf(text, sizeof text, "action %d is outside 0 to 5: it acts as a disabled combination",
                      record->action);
        Report(r, number, text);
    }
    if (IsTextAction(record->action) && PayloadTextLength(record->payload) == static_cast<std::size_t>(PayloadSize))
        Report(r, number, "the payload has no terminating 0");
    if (record->action == GoToUrl && !IsWebAddress(record->payload))
        Report(r, number, NotWebAddressText);
    bool hasKey = HasKey(record->keys);
    if (!hasKey)
        Report(r, number, "no key: it can never act");
    if (StrayKeyBytes(record->keys))
        Report(r, number, "a key byte other than 0 or 0x80");
    if (record->action == BlockKey && hasKey && !IsSingleKey(record->keys))
        Report(r, number, "BlockKey of several keys: each of them is blocked alone");
    if (record->action == ChangeKey) {
        BYTE target = static_cast<BYTE>(record->payload[TargetByte]);
        if (target == 0 || target == 255) {
            std::snprintf(text, sizeof text, "ChangeKey target %d is not a key that can be sent", target);
            Report(r, number, text);
        }
    }
    int winner = hasKey ? Shadowing(table, index) : -1;
    if (winner >= 0) {
        std::snprintf(text, sizeof text, "can never act: record %d has the same keys and always acts first",
                      winner + 1);
        Report(r, number, text);
    }
}

} // namespace

int CheckMapping(const CombinationTable* table, long long fileSize, FindingProc report, void* context)
{
    Reporter r = {report, context, 0};
    char text[200];
    long long whole = fileSize / RecordSize;
    long long rest = fileSize % RecordSize;
    if (rest != 0) {
        std::snprintf(text, sizeof text,
                      "only %lld of 3257 bytes: the size %lld is not a multiple of 3257, so Quillon ignores the "
                      "whole file",
                      rest, fileSize);
        Report(&r, static_cast<int>(whole + 1), text);
    }
    if (whole > MaxCombinations) {
        std::snprintf(text, sizeof text, "records 301 to %lld are beyond the 300 that Quillon loads", whole);
        Report(&r, MaxCombinations + 1, text);
    }
    for (int i = 0; i < table->count; ++i)
        CheckRecord(table, i, &r);
    return r.findings;
}
