// The text form of the combinations: one line a record,
//   KEYS ACTION [ARGUMENT]
// KEYS are the names that the program shows, joined by "+" in ascending code
// order ("T+Left.Ctrl"), "#<code>" for a code without a name of its own or
// with a name that two codes share; ACTION is disable, block, text, launch,
// url, change or action=<6-255>; a text argument is quoted with the escapes
// \r \n \t \\ \" \xHH; the argument of change is the target key followed by
// any of +Ctrl, +Alt, +Shift. After the argument, "in NAMES" or "not-in
// NAMES" says where the combination acts: program file names separated by
// commas, each bare or quoted like a text. '#' followed by anything but a
// digit starts a comment line.
#pragma once

#include <cstddef>

#include "mappingfile.h"

// Longest line, line break included: every record fits, even a text of 2999
// bytes written as \xHH escapes.
const int TextLineSize = 16384;

// What a line could not carry of its record (bits of FormatCombinationLine's
// result). The program itself never writes a record with any of them.
enum LineLoss : unsigned {
    LostStrayKeyBytes = 1u << 0, // key bytes other than 0 and 0x80
    LostUnfoldedKeys = 1u << 1,  // a left/right modifier without its generic entry
    LostPayloadTail = 1u << 2,   // payload bytes the action does not use (after the text's 0, after a change's byte 4)
    LostUnterminated = 1u << 3,  // a text with no terminating 0: cut to 2999 bytes
    LostModifierBytes = 1u << 4, // change modifier bytes other than 0 and 1
    LostNoKey = 1u << 5,         // no key at all: written as a comment
};
const int LineLossKinds = 6;
// What a loss bit means, for messages.
const char* LineLossText(unsigned lossBit);

// The line of `record` (no line break), cut to `capacity`. Returns the
// LineLoss bits; 0 when importing the line gives back the same 3257 bytes.
unsigned FormatCombinationLine(const CombinationRecord* record, char* out, std::size_t capacity);

enum LineKind { LineBlank, LineRecord, LineError };
struct LineProblem {
    char message[96];
    char offending[72]; // the part of the line at fault, cut
};
// Reads one line (a trailing line break is allowed). A record line fills
// `record` as the program stores it: keys folded, unused payload bytes 0.
LineKind ParseCombinationLine(const char* line, CombinationRecord* record, LineProblem* problem);
