#include "textform.h"

#include <cstdio>
#include <cstring>

#include "keynames.h"
#include "keystate.h"
#include "programwhere.h"

namespace {

const char* const ActionWords[] = {"disable", "text", "launch", "url", "change", "block"};
const int KnownActions = 6;
const int TextMax = PayloadSize - 1;

struct Writer {
    char* out;
    std::size_t capacity;
    std::size_t length;
};

void Put(Writer* w, const char* text, std::size_t n)
{
    if (w->length + n + 1 > w->capacity)
        n = w->length + 1 < w->capacity ? w->capacity - 1 - w->length : 0;
    std::memcpy(w->out + w->length, text, n);
    w->length += n;
    w->out[w->length] = 0;
}
void Put(Writer* w, const char* text) { Put(w, text, std::strlen(text)); }

const char* NameOf(int code)
{
    return KeyNameTable[code] ? KeyNameTable[code] : NoKeyName;
}

// Which codes a name stands for alone (no other code shows the same text),
// and those names by text: worked out once for the names in use, which are
// built at start-up and never change after.
const int NameSlots = 512;
struct OwnNames {
    const char* names[KeyCount]; // the table it was worked out for
    bool own[KeyCount];
    short slots[NameSlots];      // code + 1 of an own name, by the hash of its text; 0 free
    bool ready;
};
OwnNames Own;

unsigned NameHash(const char* text, std::size_t n)
{
    unsigned hash = 2166136261u;
    for (std::size_t i = 0; i < n; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash % NameSlots;
}

void LearnOwnNames()
{
    if (Own.ready && std::memcmp(Own.names, KeyNameTable, sizeof Own.names) == 0)
        return;
    std::memcpy(Own.names, KeyNameTable, sizeof Own.names);
    std::memset(Own.slots, 0, sizeof Own.slots);
    for (int code = 0; code < KeyCount; ++code) {
        const char* name = NameOf(code);
        bool own = std::strcmp(name, NoKeyName) != 0;
        for (int other = 0; other < KeyCount && own; ++other)
            own = other == code || std::strcmp(NameOf(other), name) != 0;
        Own.own[code] = own;
        if (!own)
            continue;
        unsigned slot = NameHash(name, std::strlen(name));
        while (Own.slots[slot] != 0)
            slot = (slot + 1) % NameSlots;
        Own.slots[slot] = static_cast<short>(code + 1);
    }
    Own.ready = true;
}

bool NameIsOwn(int code) { return Own.own[code]; }

void PutKey(Writer* w, int code)
{
    if (NameIsOwn(code)) {
        Put(w, NameOf(code));
        return;
    }
    char number[8];
    std::snprintf(number, sizeof number, "#%d", code);
    Put(w, number);
}

bool IsGeneric(int code) { return code >= 0x10 && code <= 0x12; }
// The generic entry is implied by a side key: 160/161 for 16 and so on.
bool SideKeyDown(const BYTE* keys, int generic)
{
    int left = 0xA0 + 2 * (generic - 0x10);
    return ((keys[left] | keys[left + 1]) & KeyDown) != 0;
}

bool AllZero(const char* bytes, std::size_t n)
{
    // Each byte equal to the one before it, and the first 0.
    return n == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, n - 1) == 0);
}

void PutQuoted(Writer* w, const char* text, std::size_t n)
{
    Put(w, "\"");
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\r': Put(w, "\\r"); continue;
        case '\n': Put(w, "\\n"); continue;
        case '\t': Put(w, "\\t"); continue;
        case '\\': Put(w, "\\\\"); continue;
        case '"': Put(w, "\\\""); continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            // The whole run of plain characters at once.
            std::size_t run = 1;
            while (i + run < n && text[i + run] >= 0x20 && text[i + run] < 0x7F && text[i + run] != '\\' &&
                   text[i + run] != '"')
                ++run;
            Put(w, text + i, run);
            i += run - 1;
        } else {
            // Bytes outside ASCII depend on the code page: kept exact as \xHH.
            const char* hex = "0123456789ABCDEF";
            const char escaped[4] = {'\\', 'x', hex[c >> 4], hex[c & 15]};
            Put(w, escaped, sizeof escaped);
        }
    }
    Put(w, "\"");
}

// A name goes bare when it reads back as itself: printable ASCII without
// blanks, commas, quotes or backslashes; else quoted like a text.
void PutProgramName(Writer* w, const char* name)
{
    std::size_t n = std::strlen(name);
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c <= 0x20 || c >= 0x7F || c == ',' || c == '"' || c == '\\') {
            PutQuoted(w, name, n);
            return;
        }
    }
    Put(w, name, n);
}

void PutWhere(Writer* w, const CombinationWhere* where)
{
    if (where->kind == ActsEverywhere)
        return;
    Put(w, where->kind == ActsOnlyIn ? " in " : " not-in ");
    for (int i = 0; i < where->count; ++i) {
        if (i)
            Put(w, ",");
        PutProgramName(w, where->names[i]);
    }
}

unsigned PutKeys(Writer* w, const BYTE* keys)
{
    unsigned losses = 0;
    bool any = false;
    for (int code = 0; code < KeyCount; ++code) {
        if (keys[code] != 0 && keys[code] != KeyDown)
            losses |= LostStrayKeyBytes;
        if (!(keys[code] & KeyDown))
            continue;
        if (IsGeneric(code) && SideKeyDown(keys, code))
            continue;
        if (any)
            Put(w, "+");
        PutKey(w, code);
        any = true;
    }
    for (int generic = 0x10; generic <= 0x12; ++generic)
        if (SideKeyDown(keys, generic) && !(keys[generic] & KeyDown))
            losses |= LostUnfoldedKeys;
    if (!any)
        losses |= LostNoKey;
    return losses;
}

// --- reading ---------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipBlanks(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}
const char* TokenEnd(const char* p)
{
    while (*p && !IsBlank(*p))
        ++p;
    return p;
}

bool Fail(LineProblem* problem, const char* message, const char* at, std::size_t n)
{
    std::snprintf(problem->message, sizeof problem->message, "%s", message);
    if (n > sizeof problem->offending - 4) {
        std::snprintf(problem->offending, sizeof problem->offending, "%.*s...",
                      static_cast<int>(sizeof problem->offending - 4), at);
    } else {
        std::snprintf(problem->offending, sizeof problem->offending, "%.*s", static_cast<int>(n), at);
    }
    return false;
}

bool SameText(const char* text, std::size_t n, const char* word)
{
    return std::strlen(word) == n && std::strncmp(text, word, n) == 0;
}

// "#<0-255>" or a name of the program's own: the code, or -1.
int KeyCode(const char* name, std::size_t n)
{
    if (n >= 2 && name[0] == '#') {
        int code = 0;
        for (std::size_t i = 1; i < n; ++i) {
            if (!IsDigit(name[i]) || i > 3)
                return -1;
            code = code * 10 + (name[i] - '0');
        }
        return code < KeyCount ? code : -1;
    }
    for (unsigned slot = NameHash(name, n); Own.slots[slot] != 0; slot = (slot + 1) % NameSlots) {
        int code = Own.slots[slot] - 1;
        if (SameText(name, n, NameOf(code)))
            return code;
    }
    return -1;
}

bool ParseKeys(const char* p, const char* end, BYTE* keys, LineProblem* problem)
{
    while (p <= end) {
        const char* part = p;
        while (p < end && *p != '+')
            ++p;
        std::size_t n = static_cast<std::size_t>(p - part);
        if (n == 0)
            return Fail(problem, "empty key name (write #107 or #187 for a plus key)", part, 1);
        int code = KeyCode(part, n);
        if (code < 0)
            return Fail(problem, "unknown key name", part, n);
        keys[code] = KeyDown;
        ++p; // past the '+' or the end
    }
    FoldModifiers(keys);
    return true;
}

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted text of at most `most` bytes into `payload`; *cursor moves past
// the closing quote.
bool ParseQuoted(const char** cursor, char* payload, LineProblem* problem, std::size_t most = TextMax)
{
    const char* start = *cursor;
    const char* p = start;
    if (*p != '"')
        return Fail(problem, "expected a quoted text", p, std::strlen(p));
    ++p;
    std::size_t n = 0;
    while (*p != '"') {
        if (*p == 0 || *p == '\r' || *p == '\n')
            return Fail(problem, "text without its closing quote", start, std::strlen(start));
        char c = *p++;
        if (c == '\\') {
            const char* escape = p - 1;
            switch (*p++) {
            case 'r': c = '\r'; break;
            case 'n': c = '\n'; break;
            case 't': c = '\t'; break;
            case '\\': c = '\\'; break;
            case '"': c = '"'; break;
            case 'x': {
                int high = HexValue(p[0]);
                int low = high < 0 ? -1 : HexValue(p[1]);
                if (low < 0)
                    return Fail(problem, "\\x needs two hex digits", escape, 4);
                if (high == 0 && low == 0)
                    return Fail(problem, "a text cannot hold \\x00", escape, 4);
                c = static_cast<char>(high * 16 + low);
                p += 2;
                break;
            }
            default: return Fail(problem, "unknown escape (use \\r \\n \\t \\\\ \\\" \\xHH)", escape, 2);
            }
        }
        if (n == most)
            return Fail(problem, most == static_cast<std::size_t>(TextMax) ? "text longer than 2999 bytes"
                                                                             : "program name longer than 255 bytes",
                        start, std::strlen(start));
        payload[n++] = c;
    }
    payload[n] = 0;
    *cursor = p + 1;
    return true;
}

bool ParseTarget(const char* p, const char* end, char* payload, LineProblem* problem)
{
    const char* part = p;
    while (p < end && *p != '+')
        ++p;
    int target = KeyCode(part, static_cast<std::size_t>(p - part));
    if (target < 0)
        return Fail(problem, "target is not a key", part, static_cast<std::size_t>(p - part));
    payload[TargetByte] = static_cast<char>(target);
    while (p < end) {
        const char* modifier = ++p;
        while (p < end && *p != '+')
            ++p;
        std::size_t n = static_cast<std::size_t>(p - modifier);
        if (SameText(modifier, n, "Ctrl"))
            payload[CtrlByte] = 1;
        else if (SameText(modifier, n, "Alt"))
            payload[AltByte] = 1;
        else if (SameText(modifier, n, "Shift"))
            payload[ShiftByte] = 1;
        else
            return Fail(problem, "expected +Ctrl, +Alt or +Shift after the target", modifier - 1, n + 1);
    }
    return true;
}

// The action word at p: its ActionKind, or -1.
int ParseActionWord(const char* p, std::size_t n)
{
    for (int action = 0; action < KnownActions; ++action)
        if (SameText(p, n, ActionWords[action]))
            return action;
    if (n > 7 && n <= 10 && std::strncmp(p, "action=", 7) == 0) {
        int value = 0;
        for (std::size_t i = 7; i < n; ++i) {
            if (!IsDigit(p[i]))
                return -1;
            value = value * 10 + (p[i] - '0');
        }
        return value >= KnownActions && value <= 255 ? value : -1;
    }
    return -1;
}

// "in NAMES" or "not-in NAMES" at *cursor, names separated by commas; the
// cursor moves past them. Nothing there: everywhere.
bool ParseWhere(const char** cursor, const char* end, CombinationWhere* where, LineProblem* problem)
{
    ClearWhere(where);
    const char* word = *cursor;
    const char* wordEnd = TokenEnd(word);
    if (wordEnd > end)
        wordEnd = end;
    std::size_t n = static_cast<std::size_t>(wordEnd - word);
    if (SameText(word, n, "in"))
        where->kind = ActsOnlyIn;
    else if (SameText(word, n, "not-in"))
        where->kind = ActsNotIn;
    else
        return true;
    const char* p = SkipBlanks(wordEnd);
    for (;;) {
        if (p >= end)
            return Fail(problem, "expected a program name (notepad.exe)", word, static_cast<std::size_t>(end - word));
        if (where->count == MaxWherePrograms)
            return Fail(problem, "more than 8 programs", p, static_cast<std::size_t>(end - p));
        char* name = where->names[where->count];
        const char* start = p;
        if (*p == '"') {
            if (!ParseQuoted(&p, name, problem, ProgramNameSize - 1))
                return false;
        } else {
            while (p < end && *p != ',' && !IsBlank(*p))
                ++p;
            std::size_t length = static_cast<std::size_t>(p - start);
            if (length >= static_cast<std::size_t>(ProgramNameSize))
                return Fail(problem, "program name longer than 255 bytes", start, length);
            std::memcpy(name, start, length);
            name[length] = 0;
        }
        if (name[0] == 0)
            return Fail(problem, "empty program name", start, 1);
        ++where->count;
        p = SkipBlanks(p);
        if (p >= end || *p != ',')
            break;
        p = SkipBlanks(p + 1);
    }
    *cursor = p;
    return true;
}

} // namespace

const char* LineLossText(unsigned lossBit)
{
    switch (lossBit) {
    case LostStrayKeyBytes: return "key bytes other than 0 and 0x80 (written as keys down where bit 0x80 is set)";
    case LostUnfoldedKeys: return "a left/right modifier without its generic entry (written folded)";
    case LostPayloadTail: return "payload bytes that the action does not use (written as 0)";
    case LostUnterminated: return "a text with no terminating 0 (cut to 2999 bytes)";
    case LostModifierBytes: return "Ctrl/Alt/Shift bytes other than 0 and 1 (written as 1)";
    case LostNoKey: return "no key at all (written as a comment)";
    default: return "?";
    }
}

unsigned FormatCombinationLine(const CombinationRecord* record, char* out, std::size_t capacity)
{
    LearnOwnNames();
    if (capacity == 0)
        return 0;
    out[0] = 0;
    Writer w = {out, capacity, 0};
    char keys[TextLineSize];
    Writer k = {keys, sizeof keys, 0};
    keys[0] = 0;
    unsigned losses = PutKeys(&k, record->keys);
    if (losses & LostNoKey)
        Put(&w, "# no key: ");
    Put(&w, keys);
    Put(&w, " ");

    const char* payload = record->payload;
    BYTE action = record->action;
    // The where, when there is one, ends the payload: the tail is what lies before it.
    CombinationWhere where;
    ReadWhere(record, &where);
    const std::size_t tailEnd = static_cast<std::size_t>(WhereStart(record));
    if (action == DisableCombination || action == BlockKey) {
        Put(&w, ActionWords[action]);
        if (!AllZero(payload, tailEnd))
            losses |= LostPayloadTail;
    } else if (action == ChangeKey) {
        Put(&w, "change ");
        PutKey(&w, static_cast<BYTE>(payload[TargetByte]));
        static const char* const Modifiers[] = {"+Ctrl", "+Alt", "+Shift"};
        static const int Bytes[] = {CtrlByte, AltByte, ShiftByte};
        for (int i = 0; i < 3; ++i) {
            char value = payload[Bytes[i]];
            if (value != 0)
                Put(&w, Modifiers[i]);
            if (value != 0 && value != 1)
                losses |= LostModifierBytes;
        }
        if (!AllZero(payload + 4, tailEnd - 4))
            losses |= LostPayloadTail;
    } else {
        if (action < KnownActions) {
            Put(&w, ActionWords[action]);
        } else {
            char word[16];
            std::snprintf(word, sizeof word, "action=%d", action);
            Put(&w, word);
        }
        Put(&w, " ");
        std::size_t n = PayloadTextLength(payload);
        if (n == static_cast<std::size_t>(PayloadSize)) {
            losses |= LostUnterminated;
            n = TextMax;
        } else if (!AllZero(payload + n, tailEnd - n)) {
            losses |= LostPayloadTail;
        }
        PutQuoted(&w, payload, n);
    }
    PutWhere(&w, &where);
    return losses;
}

LineKind ParseCombinationLine(const char* line, CombinationRecord* record, LineProblem* problem)
{
    LearnOwnNames();
    std::memset(record, 0, sizeof *record);
    problem->message[0] = problem->offending[0] = 0;
    const char* p = SkipBlanks(line);
    // The end of the line: its break and trailing blanks left out.
    const char* end = p + std::strlen(p);
    while (end > p && (IsBlank(end[-1]) || end[-1] == '\r' || end[-1] == '\n'))
        --end;
    if (p == end || (p[0] == '#' && !IsDigit(p[1])))
        return LineBlank;

    const char* keysEnd = TokenEnd(p);
    if (keysEnd > end)
        keysEnd = end;
    if (!ParseKeys(p, keysEnd, record->keys, problem))
        return LineError;

    const char* word = SkipBlanks(keysEnd);
    const char* wordEnd = TokenEnd(word);
    if (wordEnd > end)
        wordEnd = end;
    if (word == wordEnd) {
        Fail(problem, "no action after the keys (disable, block, text, launch, url, change)", p,
             static_cast<std::size_t>(end - p));
        return LineError;
    }
    int action = ParseActionWord(word, static_cast<std::size_t>(wordEnd - word));
    if (action < 0) {
        Fail(problem, "unknown action (disable, block, text, launch, url, change, action=6 to 255)", word,
             static_cast<std::size_t>(wordEnd - word));
        return LineError;
    }
    record->action = static_cast<BYTE>(action);

    const char* argument = SkipBlanks(wordEnd);
    const char* rest = argument;
    if (argument > end)
        argument = rest = end;
    if (action == ChangeKey) {
        const char* targetEnd = TokenEnd(argument);
        if (targetEnd > end)
            targetEnd = end;
        if (argument == targetEnd) {
            Fail(problem, "change needs a target key", word, static_cast<std::size_t>(end - word));
            return LineError;
        }
        if (!ParseTarget(argument, targetEnd, record->payload, problem))
            return LineError;
        rest = targetEnd;
    } else if (action != DisableCombination && action != BlockKey) {
        if (!ParseQuoted(&rest, record->payload, problem))
            return LineError;
    }
    rest = SkipBlanks(rest);
    CombinationWhere where;
    if (!ParseWhere(&rest, end, &where, problem))
        return LineError;
    if (!WriteWhere(record, &where)) {
        char message[sizeof problem->message];
        std::snprintf(message, sizeof message, "text too long beside these programs: at most %d bytes with them",
                      TextRoomFor(&where));
        Fail(problem, message, argument, static_cast<std::size_t>(end - argument));
        return LineError;
    }
    if (rest < end) {
        Fail(problem, "unexpected text after the action", rest, static_cast<std::size_t>(end - rest));
        return LineError;
    }
    return LineRecord;
}
