// Arbitrary bytes as "mapping.mp": both loaders take it, every row text is
// formed, every record's text line reads back as the same record whenever it
// claims to carry it whole, and every record is matched against key events. AddressSanitizer
// watches that nothing reads or writes outside a record, the table or a text.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "hookproc.h"
#include "keynames.h"
#include "launcher.h"
#include "library.h"
#include "mappingfile.h"
#include "programwhere.h"
#include "quillhook.h"
#include "recordtext.h"
#include "textform.h"
#include "typer.h"
#include "typingqueue.h"

namespace {
std::string g_path;
CombinationTable g_programTable;

// Rows are formed from an exactly sized copy, so that a read past the
// payload leaves the allocation and is caught.
void FormRow(int, const CombinationRecord* record)
{
    // Made once: a long file has many rows.
    static CombinationRecord* alone = new CombinationRecord;
    static char* keys = new char[RowTextSize];
    static char* function = new char[RowTextSize];
    *alone = *record;
    FormatKeyText(alone, keys, RowTextSize);
    FormatFunctionText(alone, function, RowTextSize);
    if (std::strlen(keys) >= RowTextSize || std::strlen(function) >= RowTextSize)
        abort();
}

// quillmap's text line of the record gives back the same bytes, unless it
// says what it could not carry; even then what it wrote must read.
void RoundTrip(const CombinationRecord* record)
{
    static char line[TextLineSize];
    static CombinationRecord back;
    unsigned losses = FormatCombinationLine(record, line, sizeof line);
    LineProblem problem;
    LineKind kind = ParseCombinationLine(line, &back, &problem);
    if (kind == LineError || (losses == 0 && (kind != LineRecord || std::memcmp(&back, record, RecordSize) != 0)))
        abort();
}

// A first byte of 0xFE stands for one whole record: the rest of the input,
// then zeros; 0xFD for one with a where (random bytes hardly carry its check):
// the second byte its kind and number of names, each ending in a 0 before the
// record's bytes; 0xFF for 301 to 304 empty records (long files are slow).
void WriteFile(const std::uint8_t* data, std::size_t size)
{
    std::vector<char>& file = Fake.files[g_path];
    if (size < 2 || data[0] < 0xFD) {
        file.assign(data, data + size);
        return;
    }
    CombinationWhere where = {static_cast<BYTE>(data[0] == 0xFD ? data[1] % 3 : 0), 0, {}};
    std::size_t at = 2;
    for (int n = where.kind ? 1 + (data[1] >> 2) % MaxWherePrograms : 0; n > 0 && at < size; --n) {
        const char* bytes = reinterpret_cast<const char*>(data + at);
        std::string name(bytes, strnlen(bytes, size - at));
        at += name.size() + 1;
        if (!name.empty())
            AddWhereName(&where, name.c_str());
    }
    CombinationRecord record = {};
    if (data[0] != 0xFF && at < size)
        std::memcpy(&record, data + at, size - at < RecordSize ? size - at : RecordSize);
    if (data[0] == 0xFD)
        WriteWhere(&record, &where); // when it does not fit, the record stays as it is
    file.assign((data[0] == 0xFF ? 301 + data[1] % 4 : 1) * RecordSize, 0);
    std::memcpy(file.data(), &record, RecordSize);
}

void Press(int vk, bool up)
{
    KBDLLHOOKSTRUCT e = {static_cast<DWORD>(vk), 0, up ? DWORD(LLKHF_UP) : 0, 0, 0};
    KeyRemapProc(HC_ACTION, up ? WM_KEYUP : WM_KEYDOWN, reinterpret_cast<LPARAM>(&e));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FakeReset();
    Fake.memoryFiles = true; // for speed
    Fake.executablePath = "C:\\Quillon\\Quillon.exe";
    g_path = "C:\\Quillon\\mapping.mp";
    InitKeyNames();
    LibraryStartup(); // threads are recorded by the fake, not run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFile(data, size);
    Fake.messageBoxes.clear();
    Fake.keyEvents.clear();
    Fake.hookPasses.clear();
    Fake.shellOpens.clear();
    Fake.beeps.clear();

    LoadMappingFile(&g_programTable, FormRow);
    for (int i = 0; i < g_programTable.count && i < 8; ++i)
        RoundTrip(&g_programTable.records[i]);
    ForceReloadKeysFromDisk();
    ClearLiveKeys();

    // Each of the first records' keys pressed and let go, in code order, in a program its where
    // names or another; every other time another program comes to the front before they are let go.
    int records = Hook.table.count < 8 ? Hook.table.count : 8;
    for (int i = 0; i < records; ++i) {
        CombinationWhere where;
        ReadWhere(&Hook.table.records[i], &where);
        FakeForeground(where.count && i % 3 != 2 ? where.names[i % where.count] : "other.exe");
        int pressed[6];
        int n = 0;
        for (int code = 0; code < 256 && n < 6; ++code)
            if (Hook.table.records[i].keys[code])
                pressed[n++] = code;
        for (int k = 0; k < n; ++k)
            Press(pressed[k], false);
        if (i % 2)
            FakeForeground(where.count ? where.names[0] : "");
        for (int k = n - 1; k >= 0; --k)
            Press(pressed[k], true);
    }
    while (char* text = TakeNextText()) {
        TypeString(text);
        OsFree(text);
    }
    RunQueuedLaunches();
    return 0;
}
