#include "keynames.h"

#include <cstring>

#include "keystate.h"

const char* KeyNameTable[256];
const char* const NoKeyName = "<no-name>";

namespace {
const char* const Digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
const char* const Letters[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                 "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                 "S", "T", "U", "V", "W", "X", "Y", "Z"};
const char* const NumPad[10] = {"NumPad.0", "NumPad.1", "NumPad.2", "NumPad.3", "NumPad.4",
                                "NumPad.5", "NumPad.6", "NumPad.7", "NumPad.8", "NumPad.9"};
const char* const Functions[24] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                   "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                   "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};

struct NamedCode {
    int code;
    const char* name;
};

const NamedCode OtherNames[] = {
    {8, "Backsp"},          {9, "Tab"},
    {13, "Return"},         {16, "Shift"},
    {17, "Ctrl"},           {18, "Alt"},
    {19, "Pause"},          {20, "CapsLk"},
    {27, "Esc"},            {32, "Space"},
    {33, "PageUp"},         {34, "PageDown"},
    {35, "End"},            {36, "Home"},
    {37, "Left"},           {38, "Up"},
    {39, "Right"},          {40, "Down"},
    {44, "PrtSc"},          {45, "Insert"},
    {46, "Delete"},         {91, "L.Windows"},
    {92, "R.Windows"},      {93, "Apps"},
    {95, "Sleep"},          {106, "*"},
    {107, "+"},             {109, "-"},
    {110, "."},             {111, "/"},
    {144, "Num.Lk"},        {145, "ScrollLk"},
    {160, "L.Shift"},       {161, "R.Shift"},
    {162, "Left.Ctrl"},     {163, "Right.Ctrl"},
    {164, "Left.Alt"},      {165, "Right.Alt"},
    {166, "Browser_Back"},  {167, "Browser_Forward"},
    {168, "Browser_Refresh"}, {169, "Browser_Stop"},
    {170, "Browser_Search"}, {171, "Browser_Favorites"},
    {172, "Browser_Home"},  {173, "Vol.Mute"},
    {174, "Vol.Down"},      {175, "Vol.Up"},
    {176, "MediaNextTrack"}, {177, "MediaPrevTrack"},
    {178, "MediaStop"},     {179, "MediaPlay/Pause"},
    {180, "LauchMail"},     {181, "LaunchMediaSelect"},
    {182, "LaunchApp.1"},   {183, "LaunchApp.2"},
    {186, ";"},             {187, "+"},
    {188, ","},             {189, "-"},
    {190, "."},             {191, "/"},
    {192, "~"},             {219, "["},
    {220, "\\"},            {221, "]"},
    {222, "\""},            {226, "OEM_102"},
    {233, "OEM_RESET"},     {234, "OEM_JUMP"},
    {235, "OEM_PA1"},       {236, "OEM_PA2"},
    {237, "OEM_PA3"},       {238, "OEM_WSCTRL"},
    {239, "OEM_CUSEL"},     {240, "OEM_ATTN"},
    {241, "OEM_FINISH"},    {242, "OEM_COPY"},
    {243, "OEM_AUTO"},      {244, "OEM_ENLW"},
    {245, "OEM_BACKTAB"},   {255, "Power/Wake"},
};
} // namespace

void InitKeyNames()
{
    for (int code = 0; code < 256; ++code)
        KeyNameTable[code] = NoKeyName;
    for (int i = 0; i < 10; ++i)
        KeyNameTable[48 + i] = Digits[i];
    for (int i = 0; i < 26; ++i)
        KeyNameTable[65 + i] = Letters[i];
    for (int i = 0; i < 10; ++i)
        KeyNameTable[96 + i] = NumPad[i];
    for (int i = 0; i < 24; ++i)
        KeyNameTable[112 + i] = Functions[i];
    for (const NamedCode& named : OtherNames)
        KeyNameTable[named.code] = named.name;
}

char* GetCombinationText(const BYTE* keys, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return out;
    BYTE copy[KeyCount];
    std::memcpy(copy, keys, KeyCount);
    copy[0x10] = copy[0x11] = copy[0x12] = 0;

    std::size_t length = 0;
    out[0] = 0;
    for (int code = 0; code < KeyCount; ++code) {
        if (code % 8 == 0 && EightKeysUp(copy + code)) {
            code += 7;
            continue;
        }
        if (!(copy[code] & KeyDown))
            continue;
        const char* name = KeyNameTable[code] ? KeyNameTable[code] : NoKeyName;
        std::size_t nameLength = std::strlen(name);
        std::size_t separator = length > 0 ? 1 : 0;
        if (length + separator + nameLength + 1 > capacity)
            break;
        if (separator)
            out[length++] = '+';
        std::memcpy(out + length, name, nameLength);
        length += nameLength;
        out[length] = 0;
    }
    return out;
}
