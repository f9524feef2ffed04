// Arbitrary bytes as "mapping.mp": both loaders take it, every row text is
// formed, every record's text line reads back as the same record whenever it
// claims to carry it whole, and every record is matched against key events. AddressSanitizer
// watches that nothing reads or writes outside a record, the table or a text.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fake_platform.h"
#include "hookproc.h"
#include "keynames.h"
#include "launcher.h"
#include "library.h"
#include "mappingfile.h"
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
    CombinationRecord* alone = new CombinationRecord(*record);
    char* keys = new char[RowTextSize];
    char* function = new char[RowTextSize];
    FormatKeyText(alone, keys, RowTextSize);
    FormatFunctionText(alone, function, RowTextSize);
    if (std::strlen(keys) >= RowTextSize || std::strlen(function) >= RowTextSize)
        abort();
    delete[] function;
    delete[] keys;
    delete alone;
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

void WriteFile(const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f)
        abort();
    // A first byte of 0xFF stands for a file of more than 300 records: one
    // record made of the rest of the input, repeated.
    if (size >= 2 && data[0] == 0xFF) {
        std::uint8_t record[RecordSize];
        std::size_t rest = size - 2;
        for (std::size_t i = 0; i < sizeof record; ++i)
            record[i] = rest ? data[2 + i % rest] : 0;
        for (int i = 0; i < 301 + data[1] % 4; ++i)
            std::fwrite(record, 1, sizeof record, f);
    } else if (size) {
        std::fwrite(data, 1, size, f);
    }
    std::fclose(f);
}

void Press(int vk, bool up)
{
    KBDLLHOOKSTRUCT e = {static_cast<DWORD>(vk), 0, up ? DWORD(LLKHF_UP) : 0, 0, 0};
    KeyRemapProc(HC_ACTION, up ? WM_KEYUP : WM_KEYDOWN, reinterpret_cast<LPARAM>(&e));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/quillon-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    FakeReset();
    Fake.executablePath = std::string(pattern) + "/Quillon.exe";
    g_path = std::string(pattern) + "/mapping.mp";
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

    // Each of the first records' keys pressed and let go, in code order.
    int records = Hook.table.count < 8 ? Hook.table.count : 8;
    for (int i = 0; i < records; ++i) {
        int pressed[6];
        int n = 0;
        for (int code = 0; code < 256 && n < 6; ++code)
            if (Hook.table.records[i].keys[code])
                pressed[n++] = code;
        for (int k = 0; k < n; ++k)
            Press(pressed[k], false);
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
