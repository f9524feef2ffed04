// A recording stand-in for the platform layer in the native tests. Every call
// that the portable code makes is recorded here; knobs inject failures.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform.h"

struct FakeMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// A synthesized key event (one KEYBDINPUT of SendInput): a key with its scan
// code, or a Unicode character event (vk 0, unicode set, flags
// KEYEVENTF_UNICODE [| KEYEVENTF_KEYUP]). `call` counts the SendInput calls.
struct FakeKeyEvent {
    BYTE vk;
    WORD scan;
    DWORD flags;
    ULONG_PTR extra;
    unsigned short unicode;
    int call;
};

struct FakeHookPass {
    int code;
    WPARAM wParam;
    LPARAM lParam;
};

struct FakeWindowText {
    HWND window;
    std::string text;
};

struct FakeShellOpen {
    HWND owner;
    std::string file;
};

struct FakeThread {
    OsThreadProc proc;
    void* argument;
};

struct FakePlatform {
    // Recorded calls.
    std::vector<FakeMessageBox> messageBoxes;
    std::vector<UINT> beeps;
    std::vector<DWORD> sleeps;
    std::vector<UINT> exitCodes;
    std::vector<FakeKeyEvent> keyEvents;
    std::vector<FakeHookPass> hookPasses;
    std::vector<FakeWindowText> windowTexts;
    std::vector<FakeShellOpen> shellOpens;
    std::vector<FakeThread> threads; // started threads (run only when runThreads)
    int shellThreadInits = 0;
    int sendInputCalls = 0;
    // The system's key state (0x80 = down), as the real events passed on and
    // the keys sent leave it; a generic Shift, Ctrl or Alt is the side its scan
    // code and extended bit name, as Windows takes it. Toggle states flip on
    // presses, as Windows flips them.
    BYTE systemKeys[256] = {};
    bool toggled[256] = {};
    // Lone taps of Alt or Win towards the system (a press and its release
    // with no key down between) that the user did not make alone: a press or
    // release that was not the user's, or a key of the user's swallowed
    // between (FakeNoteSwallowed).
    int strayMenuTaps = 0;
    BYTE loneMenuKeys = 0, lonePressedByUser = 0, loneSwallowedSince = 0;

    // Answers and knobs.
    bool recordKeys = true; // off in benchmarks: key events and pass-ons are not kept
    // Off in benchmarks once set up: passed-on events leave the system's key
    // state as it is, so that the figure is the hook's own.
    bool followSystem = true;
    int messageBoxResult = IDOK;
    // Runs while a box is open, as the messages its loop delivers would.
    void (*duringMessageBox)() = nullptr;
    std::string executablePath = "C:\\Quillon\\Quillon.exe";
    LRESULT nextHookResult = 0;
    DWORD lastError = 0;
    bool failThreadStart = false;
    bool failSignalInit = false;
    bool runThreads = false;  // start real threads instead of recording them
    int allocationsLeft = -1; // -1: unlimited; 0: every allocation fails
    long writeBytesLeft = -1; // -1: unlimited; else writes fail past this many bytes
    bool failClose = false;
    bool failReplace = false;
    bool failOpenForWrite = false;
    bool failFlush = false;
    long readBytesLeft = -1;   // -1: unlimited; else reads fail past this many bytes
    std::string heldFile;       // held open by another program sharing nothing: no open, move or delete
    std::string unreadableFile; // cannot be opened for reading (access denied); it can be moved
    // Files read from memory instead of the disk, for speed (the fuzz
    // targets, which never save); the fault switches are the same.
    bool memoryFiles = false;
    std::map<std::string, std::vector<char>> files;
    // The file calls in order: "flush PATH", "replace FROM TO", "delete PATH".
    std::vector<std::string> fileCalls;
    // Called for every synthesized key event, as the system would re-enter
    // the hook with an injected event; null to only record.
    void (*reinject)(const FakeKeyEvent& event) = nullptr;
    // VkKeyScanExW per character of the US layout (FakeUsLayout) and of a
    // German-like one with Y and Z swapped (FakeOtherLayout); the foreground
    // window's layout.
    short layout[256];
    short otherLayout[256];
    OsLayout foregroundLayout;
    // The ANSI code page, per byte; the default is Windows-1252. With
    // doubleByte, bytes 0x81-0x9F and 0xE0-0xFC lead a two-byte character
    // that becomes the unit lead * 256 + trail.
    unsigned short ansiToUnicode[256];
    bool doubleByte = false;
    // The program of the foreground window ("" for no window) and how it was found.
    std::string foregroundProgram;
    ProgramLookup foregroundLookup = ProgramFound;
    int foregroundChanges = 0;
    void (*foregroundWatch)() = nullptr; // as OsWatchForeground installed it
    void (*later)() = nullptr;           // as OsCallLater asked for it
    DWORD laterDelay = 0;
};

extern FakePlatform Fake;

// A copy of the key events taken under the recorder's lock, for tests whose
// threads synthesize keys while the test reads them.
std::vector<FakeKeyEvent> FakeKeyEventsSoFar();

// Fresh recorder with the default layout and code page.
void FakeReset();
// Another window comes to the foreground: its program, then the watch is told
// (unless `watchTold` is false: its news is still queued).
void FakeForeground(const std::string& program, ProgramLookup lookup = ProgramFound, bool watchTold = true);
// The US layout's VkKeyScanA for one character (-1 for none).
short UsLayoutKeyScan(unsigned char character);
// A real key event of the user's that the hook swallowed (a key-down): it
// comes between Alt or Win and their release only for the hook.
void FakeNoteSwallowed();

const OsLayout FakeUsLayout = reinterpret_cast<OsLayout>(static_cast<std::uintptr_t>(0x04090409));
const OsLayout FakeOtherLayout = reinterpret_cast<OsLayout>(static_cast<std::uintptr_t>(0x04070407));

const HWND FakeDesktop = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xD35C));
