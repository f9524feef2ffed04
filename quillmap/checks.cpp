#include "checks.h"

#include <cstdio>
#include <cstring>

#include "keystate.h"
#include "programwhere.h"
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

// The records with j's keys that act before it, with their wheres.
struct Rivals {
    int count;
    int index[MaxCombinations];
    CombinationWhere where[MaxCombinations];
    int winners;
    int winner[MaxCombinations];
};
Rivals Rival;

// The first rival acting in `program` wherever `mine` acts there; false when
// `mine` is the first there.
bool Outdone(const CombinationWhere* mine, const char* program)
{
    if (!WhereHolds(mine, program))
        return true;
    for (int k = 0; k < Rival.count; ++k) {
        if (!WhereHolds(&Rival.where[k], program))
            continue;
        int i = 0;
        while (i < Rival.winners && Rival.winner[i] != Rival.index[k])
            ++i;
        if (i == Rival.winners)
            Rival.winner[Rival.winners++] = Rival.index[k];
        return true;
    }
    return false;
}

// The records that, between them, act before record j on j's keys in every
// program where j acts (in Rival.winner); their number, 0 when j acts somewhere.
// Only the programs that the wheres name can differ, and any other ("").
int Shadowing(const CombinationTable* table, int j)
{
    const CombinationRecord* mine = &table->records[j];
    BYTE keys[KeyCount];
    FoldedKeys(mine, keys);
    Rival.count = Rival.winners = 0;
    for (int i = 0; i < table->count; ++i) {
        const CombinationRecord* other = &table->records[i];
        if (i == j || PassOf(other->action) > PassOf(mine->action))
            continue;
        if (PassOf(other->action) == PassOf(mine->action) && i > j)
            continue;
        BYTE otherKeys[KeyCount];
        FoldedKeys(other, otherKeys);
        if (std::memcmp(keys, otherKeys, KeyCount) != 0)
            continue;
        Rival.index[Rival.count] = i;
        ReadWhere(other, &Rival.where[Rival.count++]);
    }
    CombinationWhere where;
    ReadWhere(mine, &where);
    if (!Outdone(&where, ""))
        return 0;
    for (int n = 0; n < where.count; ++n)
        if (!Outdone(&where, where.names[n]))
            return 0;
    for (int k = 0; k < Rival.count; ++k)
        for (int n = 0; n < Rival.where[k].count; ++n)
            if (!Outdone(&where, Rival.where[k].names[n]))
                return 0;
    return Rival.winners;
}

// A name as a finding can show it: control characters as \xHH.
void Visible(const char* name, char* out, std::size_t capacity)
{
    std::size_t used = 0;
    out[0] = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p && used + 5 < capacity; ++p)
        used += static_cast<std::size_t>(
            std::snprintf(out + used, capacity - used, *p < 0x20 ? "\\x%02X" : "%c", *p));
}

// The names of its where that cannot be the foreground program; true when
// the where can then never hold.
bool CheckWhere(const CombinationRecord* record, int number, Reporter* r)
{
    CombinationWhere where;
    ReadWhere(record, &where);
    int never = 0;
    char text[4 * ProgramNameSize + 160];
    for (int i = 0; i < where.count; ++i) {
        const char* fault = !CanBeFileName(where.names[i])
                                ? "cannot be a file name (no control character, \\ / : * ? \" < > |, device name, "
                                  "or blank or dot at its end)"
                            : SameProgramName(where.names[i], PackagedAppHost)
                                ? "only hosts the windows of packaged apps, for which the app's own executable counts"
                                : nullptr;
        if (!fault)
            continue;
        char name[4 * ProgramNameSize];
        Visible(where.names[i], name, sizeof name);
        std::snprintf(text, sizeof text, "program \"%s\" %s", name, fault);
        Report(r, number, text);
        ++never;
    }
    if (where.kind == ActsOnlyIn && never == where.count) {
        Report(r, number, "can never act: none of the programs it acts in can be in the foreground");
        return true;
    }
    return false;
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
    if (CheckWhere(record, number, r))
        return;
    int winners = hasKey ? Shadowing(table, index) : 0;
    if (winners == 1) {
        std::snprintf(text, sizeof text, "can never act: record %d has the same keys and always acts first",
                      Rival.winner[0] + 1);
        Report(r, number, text);
    } else if (winners > 1) {
        std::size_t used = static_cast<std::size_t>(std::snprintf(text, sizeof text, "can never act: records"));
        for (int i = 0; i < winners && used < sizeof text; ++i)
            used += static_cast<std::size_t>(std::snprintf(text + used, sizeof text - used, "%s %d", i ? "," : "",
                                                           Rival.winner[i] + 1));
        if (used < sizeof text)
            std::snprintf(text + used, sizeof text - used, " have the same keys and act first wherever it acts");
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
