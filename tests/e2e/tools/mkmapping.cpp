// mkmapping OUT [DESCRIPTION]: writes a "mapping.mp" from a text description
// (standard input when DESCRIPTION is left out), one record a line:
//   keys=162,84 action=1 text="Hi"
//   keys=65 action=ChangeKey target=66 shift=1
//   keys=66 action=BlockKey
// Fields: keys= (codes, comma-separated, folded as the editor stores them),
// action= (0-255 or an ActionKind name), text="..." (escapes \\ \" \n \r \t
// \xHH), target= ctrl= alt= shift= (ChangeKey payload bytes), fill=N (payload
// bytes after the text, to imitate leftovers). '#' starts a comment line.
// More than 300 records may be written on purpose; nothing is written when a
// line does not parse.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "keystate.h"
#include "mappingfile.h"

namespace {

const int MaxRecords = 1000;
const int LineSize = 8192;

struct Builder {
    CombinationRecord records[MaxRecords];
    int count;
};
Builder Out;

struct NamedAction {
    const char* name;
    int value;
};
const NamedAction ActionNames[] = {
    {"DisableCombination", DisableCombination}, {"TypeText", TypeText}, {"LaunchApplication", LaunchApplication},
    {"GoToUrl", GoToUrl},                       {"ChangeKey", ChangeKey}, {"BlockKey", BlockKey},
};

int Fail(int lineNumber, const char* what, const char* near)
{
    std::fprintf(stderr, "mkmapping: line %d: %s near '%.40s'\n", lineNumber, what, near);
    return 0;
}

int ParseNumber(const char** cursor, long low, long high, long* value)
{
    char* end = nullptr;
    long number = std::strtol(*cursor, &end, 0);
    if (end == *cursor || number < low || number > high)
        return 0;
    *value = number;
    *cursor = end;
    return 1;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted text into payload; the payload keeps room for its NUL.
int ParseText(const char** cursor, char* payload, int* length)
{
    const char* p = *cursor;
    if (*p != '"')
        return 0;
    ++p;
    int n = 0;
    while (*p && *p != '"') {
        char c = *p++;
        if (c == '\\') {
            char e = *p++;
            switch (e) {
            case '\\': c = '\\'; break;
            case '"': c = '"'; break;
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 'x': {
                int high = HexDigit(p[0]);
                int low = high < 0 ? -1 : HexDigit(p[1]);
                if (low < 0)
                    return 0;
                c = static_cast<char>(high * 16 + low);
                p += 2;
                break;
            }
            default: return 0;
            }
        }
        if (n >= PayloadSize - 1)
            return 0;
        payload[n++] = c;
    }
    if (*p != '"')
        return 0;
    payload[n] = 0;
    *length = n;
    *cursor = p + 1;
    return 1;
}

int ParseAction(const char** cursor, BYTE* action)
{
    const char* p = *cursor;
    if (std::isdigit(static_cast<unsigned char>(*p))) {
        long value = 0;
        if (!ParseNumber(&p, 0, 255, &value))
            return 0;
        *action = static_cast<BYTE>(value);
        *cursor = p;
        return 1;
    }
    for (const NamedAction& named : ActionNames) {
        std::size_t length = std::strlen(named.name);
        if (std::strncmp(p, named.name, length) == 0 &&
            (p[length] == 0 || std::isspace(static_cast<unsigned char>(p[length])))) {
            *action = static_cast<BYTE>(named.value);
            *cursor = p + length;
            return 1;
        }
    }
    return 0;
}

int ParseLine(const char* line, int lineNumber, CombinationRecord* record)
{
    std::memset(record, 0, sizeof *record);
    int haveAction = 0;
    int textLength = 0;
    const char* p = line;
    for (;;) {
        while (std::isspace(static_cast<unsigned char>(*p)))
            ++p;
        if (*p == 0)
            break;
        const char* field = p;
        long value = 0;
        if (std::strncmp(p, "keys=", 5) == 0) {
            p += 5;
            for (;;) {
                if (!ParseNumber(&p, 0, 255, &value))
                    return Fail(lineNumber, "bad key code", field);
                record->keys[value] = KeyDown;
                if (*p != ',')
                    break;
                ++p;
            }
        } else if (std::strncmp(p, "action=", 7) == 0) {
            p += 7;
            if (!ParseAction(&p, &record->action))
                return Fail(lineNumber, "bad action", field);
            haveAction = 1;
        } else if (std::strncmp(p, "text=", 5) == 0) {
            p += 5;
            if (!ParseText(&p, record->payload, &textLength))
                return Fail(lineNumber, "bad or too long text", field);
        } else if (std::strncmp(p, "fill=", 5) == 0) {
            p += 5;
            if (!ParseNumber(&p, 0, 255, &value))
                return Fail(lineNumber, "bad fill byte", field);
            for (int i = textLength + 1; i < PayloadSize; ++i)
                record->payload[i] = static_cast<char>(value);
        } else {
            static const char* const ByteFields[] = {"target=", "ctrl=", "alt=", "shift="};
            static const int ByteIndex[] = {TargetByte, CtrlByte, AltByte, ShiftByte};
            int matched = 0;
            for (int i = 0; i < 4 && !matched; ++i) {
                std::size_t length = std::strlen(ByteFields[i]);
                if (std::strncmp(p, ByteFields[i], length) == 0) {
                    p += length;
                    if (!ParseNumber(&p, 0, 255, &value))
                        return Fail(lineNumber, "bad byte value", field);
                    record->payload[ByteIndex[i]] = static_cast<char>(value);
                    matched = 1;
                }
            }
            if (!matched)
                return Fail(lineNumber, "unknown field", field);
        }
        if (*p != 0 && !std::isspace(static_cast<unsigned char>(*p)))
            return Fail(lineNumber, "junk after field", field);
    }
    if (!haveAction)
        return Fail(lineNumber, "no action=", line);
    FoldModifiers(record->keys);
    return 1;
}

int IsBlank(const char* line)
{
    while (std::isspace(static_cast<unsigned char>(*line)))
        ++line;
    return *line == 0 || *line == '#';
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mkmapping OUT [DESCRIPTION]\n");
        return 2;
    }
    std::FILE* in = stdin;
    if (argc == 3) {
        in = std::fopen(argv[2], "r");
        if (!in) {
            std::fprintf(stderr, "mkmapping: cannot read %s\n", argv[2]);
            return 1;
        }
    }
    static char line[LineSize];
    int lineNumber = 0;
    int ok = 1;
    while (ok && std::fgets(line, sizeof line, in)) {
        ++lineNumber;
        std::size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            ok = Fail(lineNumber, "line too long", line);
            break;
        }
        if (IsBlank(line))
            continue;
        if (Out.count == MaxRecords) {
            ok = Fail(lineNumber, "too many records", line);
            break;
        }
        ok = ParseLine(line, lineNumber, &Out.records[Out.count]);
        if (ok)
            ++Out.count;
    }
    if (in != stdin)
        std::fclose(in);
    if (!ok)
        return 1;

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "mkmapping: cannot write %s\n", argv[1]);
        return 1;
    }
    std::size_t written = Out.count ? std::fwrite(Out.records, RecordSize, Out.count, out) : 0;
    int closed = std::fclose(out);
    if (written != static_cast<std::size_t>(Out.count) || closed != 0) {
        std::fprintf(stderr, "mkmapping: writing %s failed\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
