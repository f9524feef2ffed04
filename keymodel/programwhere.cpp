#include "programwhere.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

const char* const PackagedAppHost = "ApplicationFrameHost.exe";

namespace {

const int TrailerAt = PayloadSize - WhereTrailerSize;
const char Marker[4] = {0, 'W', 'H', 'R'};
const int MarkerAt = PayloadSize - 4;

std::uint32_t Check(const char* bytes, int n)
{
    std::uint32_t h = 2166136261u;
    for (int i = 0; i < n; ++i) {
        h ^= static_cast<BYTE>(bytes[i]);
        h *= 16777619u;
    }
    return h;
}

void PutLittleEndian(char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetLittleEndian(const char* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<BYTE>(at[i]);
    return value;
}

int NamesLength(const CombinationWhere* where)
{
    int n = 0;
    for (int i = 0; i < where->count; ++i)
        n += static_cast<int>(std::strlen(where->names[i])) + 1;
    return n;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool Names(const CombinationWhere* where, const char* program)
{
    for (int i = 0; i < where->count; ++i)
        if (SameProgramName(where->names[i], program))
            return true;
    return false;
}

bool IsDeviceName(const char* name)
{
    std::size_t base = std::strcspn(name, ".");
    while (base > 0 && name[base - 1] == ' ')
        --base;
    static const char* const Devices[] = {"con", "prn", "aux", "nul"};
    for (const char* device : Devices)
        if (base == 3 && SameLetters(name, device, 3))
            return true;
    return base == 4 && (SameLetters(name, "com", 3) || SameLetters(name, "lpt", 3)) && name[3] >= '1' &&
           name[3] <= '9';
}

} // namespace

void ClearWhere(CombinationWhere* where)
{
    where->kind = ActsEverywhere;
    where->count = 0;
}

bool AddWhereName(CombinationWhere* where, const char* name)
{
    if (where->count >= MaxWherePrograms)
        return false;
    std::snprintf(where->names[where->count++], ProgramNameSize, "%s", name);
    return true;
}

int ActionBytesUsed(const CombinationRecord* record, int limit)
{
    switch (record->action) {
    case DisableCombination:
    case BlockKey: return 1;
    case ChangeKey: return 5;
    default: {
        const void* end = std::memchr(record->payload, 0, static_cast<std::size_t>(limit));
        return end ? static_cast<int>(static_cast<const char*>(end) - record->payload) + 1 : limit + 1;
    }
    }
}

int WhereSize(const CombinationWhere* where)
{
    return where->kind == ActsEverywhere ? 0 : NamesLength(where) + WhereTrailerSize;
}

int TextRoomFor(const CombinationWhere* where) { return PayloadSize - WhereSize(where) - 1; }

int WhereStart(const CombinationRecord* record)
{
    const char* p = record->payload;
    if (std::memcmp(p + MarkerAt, Marker, sizeof Marker) != 0)
        return PayloadSize;
    int kind = static_cast<BYTE>(p[TrailerAt]);
    int count = static_cast<BYTE>(p[TrailerAt + 1]);
    int length = static_cast<int>(GetLittleEndian(p + TrailerAt + 2, 2));
    if ((kind != ActsOnlyIn && kind != ActsNotIn) || count < 1 || count > MaxWherePrograms ||
        length < 2 * count || length > count * ProgramNameSize)
        return PayloadSize;
    int start = TrailerAt - length;
    if (ActionBytesUsed(record, start) > start)
        return PayloadSize;
    // Exactly `count` names, none empty, the last one ending the area.
    int names = 0;
    for (int at = start; at < TrailerAt; ++names) {
        const void* end = std::memchr(p + at, 0, static_cast<std::size_t>(TrailerAt - at));
        int n = end ? static_cast<int>(static_cast<const char*>(end) - (p + at)) : 0;
        if (n == 0 || n >= ProgramNameSize)
            return PayloadSize;
        at += n + 1;
    }
    if (names != count)
        return PayloadSize;
    if (GetLittleEndian(p + TrailerAt + 4, 4) != Check(p + start, length + 4))
        return PayloadSize;
    return start;
}

void ReadWhere(const CombinationRecord* record, CombinationWhere* where)
{
    ClearWhere(where);
    int start = WhereStart(record);
    if (start == PayloadSize)
        return;
    const char* p = record->payload;
    where->kind = static_cast<BYTE>(p[TrailerAt]);
    for (int at = start; at < TrailerAt; at += static_cast<int>(std::strlen(p + at)) + 1)
        AddWhereName(where, p + at);
}

bool WriteWhere(CombinationRecord* record, const CombinationWhere* where)
{
    if (where->kind != ActsEverywhere && (where->count < 1 || where->count > MaxWherePrograms))
        return false;
    for (int i = 0; i < where->count; ++i) {
        std::size_t n = std::strlen(where->names[i]);
        if (n == 0 || n >= static_cast<std::size_t>(ProgramNameSize))
            return false;
    }
    int start = PayloadSize - WhereSize(where);
    int used = ActionBytesUsed(record, start);
    if (used > start)
        return false;
    char* p = record->payload;
    std::memset(p + used, 0, static_cast<std::size_t>(PayloadSize - used));
    if (where->kind == ActsEverywhere)
        return true;
    int at = start;
    for (int i = 0; i < where->count; ++i) {
        std::size_t n = std::strlen(where->names[i]) + 1;
        std::memcpy(p + at, where->names[i], n);
        at += static_cast<int>(n);
    }
    int length = TrailerAt - start;
    p[TrailerAt] = static_cast<char>(where->kind);
    p[TrailerAt + 1] = static_cast<char>(where->count);
    PutLittleEndian(p + TrailerAt + 2, static_cast<std::uint32_t>(length), 2);
    PutLittleEndian(p + TrailerAt + 4, Check(p + start, length + 4), 4);
    std::memcpy(p + MarkerAt, Marker, sizeof Marker);
    return true;
}

bool CanBeFileName(const char* name)
{
    std::size_t n = std::strlen(name);
    if (n == 0 || n >= static_cast<std::size_t>(ProgramNameSize))
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    return name[n - 1] != ' ' && name[n - 1] != '.' && !IsDeviceName(name);
}

bool SameProgramName(const char* a, const char* b)
{
    std::size_t n = std::strlen(a);
    return n == std::strlen(b) && SameLetters(a, b, n);
}

bool WhereHolds(const CombinationWhere* where, const char* program)
{
    switch (where->kind) {
    case ActsOnlyIn: return Names(where, program);
    case ActsNotIn: return !Names(where, program);
    default: return true;
    }
}

void FormatWhereSuffix(const CombinationWhere* where, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return;
    out[0] = 0;
    if (where->kind == ActsEverywhere)
        return;
    std::size_t used = static_cast<std::size_t>(
        std::snprintf(out, capacity, " (%s ", where->kind == ActsOnlyIn ? "only in" : "not in"));
    for (int i = 0; i < where->count && used < capacity; ++i)
        used += static_cast<std::size_t>(
            std::snprintf(out + used, capacity - used, "%s%s", i ? ", " : "", where->names[i]));
    if (used < capacity)
        std::snprintf(out + used, capacity - used, ")");
}
