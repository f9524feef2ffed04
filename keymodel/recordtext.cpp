#include "recordtext.h"

#include <cstdio>
#include <cstring>

#include "keynames.h"
#include "programwhere.h"

namespace {

struct RecordTextState {
    char targetKeyText[TargetKeyTextSize];
};
RecordTextState State;

// Appends `text` to the terminated `buffer`, never past `capacity`.
void AppendBounded(char* buffer, std::size_t capacity, const char* text)
{
    std::size_t used = std::strlen(buffer);
    if (used + 1 >= capacity)
        return;
    std::snprintf(buffer + used, capacity - used, "%s", text);
}

} // namespace

const char* ActionLabel(BYTE action)
{
    switch (action) {
    case DisableCombination: return "DISABLE KEY COMBINATION!";
    case TypeText: return "Type Text:";
    case LaunchApplication: return "Launch Application:";
    case GoToUrl: return "Go to URL:";
    case ChangeKey: return "Change Key To: ";
    case BlockKey: return "Completely BLOCK Key!";
    default: return "<unknown function>";
    }
}

const char* DescribeTargetKey(BYTE targetKey, BYTE alt, BYTE ctrl, BYTE shift)
{
    char* text = State.targetKeyText;
    text[0] = '\0';
    if (ctrl)
        AppendBounded(text, TargetKeyTextSize, "Ctrl + ");
    if (alt)
        AppendBounded(text, TargetKeyTextSize, "Alt + ");
    if (shift)
        AppendBounded(text, TargetKeyTextSize, "Shift + ");
    const char* name = KeyNameTable[targetKey] ? KeyNameTable[targetKey] : NoKeyName;
    AppendBounded(text, TargetKeyTextSize, name);
    return text;
}

void FormatKeyText(const CombinationRecord* record, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return;
    GetCombinationText(record->keys, out, capacity);
}

void FormatFunctionText(const CombinationRecord* record, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return;
    const char* label = ActionLabel(record->action);
    const char* payload = record->payload;
    CombinationWhere where;
    ReadWhere(record, &where);
    char suffix[RowTextSize];
    FormatWhereSuffix(&where, suffix, sizeof suffix);
    switch (record->action) {
    case DisableCombination:
    case BlockKey:
        std::snprintf(out, capacity, "%s %s%s", label, "", suffix);
        return;
    case ChangeKey: {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(payload);
        const char* target =
            DescribeTargetKey(bytes[TargetByte], bytes[AltByte], bytes[CtrlByte], bytes[ShiftByte]);
        std::snprintf(out, capacity, "%s %s%s", label, target, suffix);
        return;
    }
    default: {
        // A damaged record may carry no terminator: never read past the field.
        // The where is the row's end even when a long text has to be cut for it.
        std::size_t room = capacity - 1;
        std::size_t around = std::strlen(label) + 1 + std::strlen(suffix);
        std::size_t length = PayloadTextLength(payload);
        if (where.kind != ActsEverywhere && room > around && length > room - around)
            length = room - around;
        std::snprintf(out, capacity, "%s %.*s%s", label, static_cast<int>(length), payload, suffix);
        return;
    }
    }
}
