#include "commands.h"

#include <cstring>

#include "checks.h"
#include "mappingfile.h"
#include "mappingwriter.h"
#include "platform.h"
#include "reloadnotice.h"
#include "recordtext.h"
#include "textform.h"
#include "webaddress.h"

namespace {

const char* const DefaultFile = "mapping.mp";

struct QuillmapState {
    CombinationTable table; // at most the 300 records that the program loads
    long long fileSize;
    char line[TextLineSize];
    char keyText[RowTextSize];
    char functionText[RowTextSize];
};
QuillmapState State;

// Reads the first 300 whole records of `file` into State.table, by the
// program's own rule. A size that is not a whole number of records is not
// an error here: the callers say what the program would make of it.
bool ReadMapping(const char* file, std::FILE* err)
{
    State.table.count = 0;
    State.fileSize = 0;
    long long size = -1;
    MappingLoadResult result = ReadMappingFileAt(file, &State.table, nullptr, true, &size);
    if (result == MappingMissing || result == MappingUnreadable) {
        std::fprintf(err, "quillmap: cannot read %s\n", file);
        return false;
    }
    State.fileSize = size;
    return true;
}

// What the program makes of a file that is not exactly its records.
bool SayWhatProgramSkips(const char* file, std::FILE* err)
{
    long long whole = State.fileSize / RecordSize;
    if (State.fileSize % RecordSize != 0) {
        std::fprintf(err,
                     "quillmap: %s: %lld bytes is not a multiple of 3257: Quillon ignores the whole file "
                     "(the %lld whole records are used here)\n",
                     file, State.fileSize, whole);
        return true;
    }
    if (whole > MaxCombinations) {
        std::fprintf(err, "quillmap: %s: %lld records: Quillon loads only the first 300 (used here)\n", file,
                     whole);
        return true;
    }
    return false;
}

// One line of the console: control characters as escapes.
void PutVisible(const char* text, std::FILE* out)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '\r')
            std::fputs("\\r", out);
        else if (*p == '\n')
            std::fputs("\\n", out);
        else if (*p == '\t')
            std::fputs("\\t", out);
        else if (*p < 0x20 || *p == 0x7F)
            std::fprintf(out, "\\x%02X", *p);
        else
            std::fputc(*p, out);
    }
}

bool FinishOutput(std::FILE* out, std::FILE* err)
{
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "quillmap: writing the output failed\n");
        return false;
    }
    return true;
}

struct ImportReader {
    const char* name;
    int lineNumber;
    int errors;
    std::FILE* err;
};

void ImportError(ImportReader* reader, const char* message, const char* offending)
{
    ++reader->errors;
    std::fprintf(reader->err, "%s:%d: %s", reader->name, reader->lineNumber, message);
    if (offending && offending[0])
        std::fprintf(reader->err, ": %s", offending);
    std::fputc('\n', reader->err);
}

struct LineRead {
    bool tooLong; // the rest of the line did not fit and was dropped
    bool hasZero; // a 0 byte, which no text of the form holds
};

// Reads one line, its break included, into State.line; false at the end.
bool ReadLine(std::FILE* in, LineRead* read)
{
    read->tooLong = read->hasZero = false;
    std::size_t n = 0;
    bool any = false;
    int c;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == 0)
            read->hasZero = true;
        if (n < sizeof State.line - 1)
            State.line[n++] = static_cast<char>(c);
        else
            read->tooLong = true;
        if (c == '\n')
            break;
    }
    State.line[n] = 0;
    return any;
}

void PrintFinding(int record, const char* text, void* context)
{
    std::fprintf(static_cast<std::FILE*>(context), "record %d: %s\n", record, text);
}

bool PathFits(const char* path, std::FILE* err)
{
    if (std::strlen(path) < static_cast<std::size_t>(PathBufferSize))
        return true;
    std::fprintf(err, "quillmap: the file name is too long\n");
    return false;
}

void Usage(std::FILE* err)
{
    std::fputs("usage: quillmap show [FILE]      the combinations as Quillon lists them\n"
               "       quillmap export [FILE]    the combinations as text, on standard output\n"
               "       quillmap import TEXT [FILE]  writes FILE from TEXT (a file, or - for standard input)\n"
               "       quillmap check [FILE]     what Quillon would reject, or what can never act\n"
               "FILE is mapping.mp in the current folder unless given.\n",
               err);
}

} // namespace

int RunShow(const char* file, std::FILE* out, std::FILE* err)
{
    if (!ReadMapping(file, err))
        return QuillmapFailed;
    bool skipped = SayWhatProgramSkips(file, err);
    for (int i = 0; i < State.table.count; ++i) {
        const CombinationRecord* record = &State.table.records[i];
        FormatKeyText(record, State.keyText, sizeof State.keyText);
        FormatFunctionText(record, State.functionText, sizeof State.functionText);
        std::fprintf(out, "%-24s  ", State.keyText);
        PutVisible(State.functionText, out);
        std::fputc('\n', out);
    }
    if (!FinishOutput(out, err))
        return QuillmapFailed;
    return skipped ? QuillmapFailed : QuillmapOk;
}

int RunExport(const char* file, std::FILE* out, std::FILE* err)
{
    if (!ReadMapping(file, err))
        return QuillmapFailed;
    bool partial = SayWhatProgramSkips(file, err);
    std::fprintf(out, "# Quillon key combinations (quillmap import this text to restore them)\n");
    for (int i = 0; i < State.table.count; ++i) {
        unsigned losses = FormatCombinationLine(&State.table.records[i], State.line, sizeof State.line);
        std::fprintf(out, "%s\n", State.line);
        for (int bit = 0; bit < LineLossKinds; ++bit) {
            if (losses & (1u << bit))
                std::fprintf(err, "quillmap: record %d: not carried: %s\n", i + 1, LineLossText(1u << bit));
        }
        if (losses)
            partial = true;
    }
    if (!FinishOutput(out, err))
        return QuillmapFailed;
    return partial ? QuillmapPartial : QuillmapOk;
}

int RunImport(const char* textPath, std::FILE* in, const char* file, std::FILE* out, std::FILE* err)
{
    if (!PathFits(file, err))
        return QuillmapFailed;
    bool fromStdin = std::strcmp(textPath, "-") == 0;
    OsOpenOutcome opened = OsCannotOpen;
    std::FILE* text = fromStdin ? in : OsOpenForRead(textPath, &opened);
    if (!text) {
        std::fprintf(err, "quillmap: cannot read %s\n", textPath);
        return QuillmapFailed;
    }
    ImportReader reader = {fromStdin ? "<stdin>" : textPath, 0, 0, err};
    State.table.count = 0;
    CombinationRecord scratch;
    bool tooMany = false;
    LineRead read;
    while (ReadLine(text, &read)) {
        ++reader.lineNumber;
        if (read.tooLong || read.hasZero) {
            ImportError(&reader, read.tooLong ? "line longer than 16383 characters" : "the line holds a 0 byte",
                        "");
            continue;
        }
        char* line = State.line;
        if (reader.lineNumber == 1 && std::strncmp(line, "\xEF\xBB\xBF", 3) == 0)
            line += 3; // a byte-order mark that some editors put first
        bool room = State.table.count < MaxCombinations;
        CombinationRecord* record = room ? &State.table.records[State.table.count] : &scratch;
        LineProblem problem;
        LineKind kind = ParseCombinationLine(line, record, &problem);
        if (kind == LineError) {
            ImportError(&reader, problem.message, problem.offending);
        } else if (kind == LineRecord && record->action == GoToUrl && !IsWebAddress(record->payload)) {
            char address[72]; // cut, as the other errors cut the text at fault
            std::size_t n = std::strlen(record->payload);
            n = n < sizeof address - 1 ? n : sizeof address - 1;
            std::memcpy(address, record->payload, n);
            address[n] = 0;
            ImportError(&reader, NotWebAddressText, address);
        } else if (kind == LineRecord && room) {
            ++State.table.count;
        } else if (kind == LineRecord && !tooMany) {
            tooMany = true;
            ImportError(&reader, "more than 300 combinations (Quillon keeps 300)", "");
        }
    }
    bool readFailed = std::ferror(text) != 0;
    if (!fromStdin)
        OsCloseFile(text);
    if (readFailed) {
        std::fprintf(err, "quillmap: reading %s failed\n", reader.name);
        ++reader.errors;
    }
    if (reader.errors > 0) {
        std::fprintf(err, "quillmap: %d error%s: %s was not written\n", reader.errors,
                     reader.errors == 1 ? "" : "s", file);
        return QuillmapFailed;
    }
    if (!WriteMappingFileAt(file, &State.table)) {
        std::fprintf(err, "quillmap: could not write %s (write-protected, or the disk is full?); it is as it was\n",
                     file);
        return QuillmapFailed;
    }
    std::fprintf(out, "quillmap: %d combination%s written to %s\n", State.table.count,
                 State.table.count == 1 ? "" : "s", file);
    ReloadNotice notice = TellQuillonToReload(file);
    if (notice == QuillonTold)
        std::fprintf(out, "quillmap: the running Quillon loads them now\n");
    else if (notice == QuillonNotTold)
        std::fprintf(err, "quillmap: Quillon runs but could not be told: it loads them at its next start\n");
    return FinishOutput(out, err) ? QuillmapOk : QuillmapFailed;
}

int RunCheck(const char* file, std::FILE* out, std::FILE* err)
{
    if (!ReadMapping(file, err))
        return QuillmapFailed;
    int findings = CheckMapping(&State.table, State.fileSize, PrintFinding, out);
    long long records = State.fileSize / RecordSize;
    if (findings == 0)
        std::fprintf(out, "%s: %lld combination%s, nothing wrong\n", file, records, records == 1 ? "" : "s");
    else
        std::fprintf(out, "%s: %lld combination%s, %d finding%s\n", file, records, records == 1 ? "" : "s",
                     findings, findings == 1 ? "" : "s");
    if (!FinishOutput(out, err))
        return QuillmapFailed;
    return findings == 0 ? QuillmapOk : QuillmapFailed;
}

int RunQuillmap(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err)
{
    if (argc < 2) {
        Usage(err);
        return QuillmapUsage;
    }
    const char* command = argv[1];
    bool import = std::strcmp(command, "import") == 0;
    int fileArgument = import ? 3 : 2;
    if ((import && argc < 3) || argc > fileArgument + 1) {
        Usage(err);
        return QuillmapUsage;
    }
    const char* file = argc > fileArgument ? argv[fileArgument] : DefaultFile;
    if (import)
        return RunImport(argv[2], in, file, out, err);
    if (std::strcmp(command, "show") == 0)
        return RunShow(file, out, err);
    if (std::strcmp(command, "export") == 0)
        return RunExport(file, out, err);
    if (std::strcmp(command, "check") == 0)
        return RunCheck(file, out, err);
    std::fprintf(err, "quillmap: unknown command %s\n", command);
    Usage(err);
    return QuillmapUsage;
}
