// The one narrow layer through which the portable code (key model, mapping
// file, hook engine, dialog rules) reaches the operating system.
// platform_win.cpp makes the real Win32 calls; tests/fake/fake_platform.cpp
// records every call for the native tests.
#pragma once

#include <cstddef>
#include <cstdio>

#include "win32types.h"

#ifndef _WIN32
#include <pthread.h>
#endif

// Message boxes, sounds, time, process.
int OsMessageBox(HWND owner, const char* text, const char* caption, UINT type);
void OsMessageBeep(UINT type);
void OsSleep(DWORD milliseconds);
void OsExitProcess(UINT code);
DWORD OsLastError();
// The system's text for an error code, cut to the buffer and without the
// trailing line break.
void OsSystemErrorText(DWORD code, char* buffer, std::size_t capacity);

// Full file name of the executable of the running process (not of a
// library), as UTF-8 text, cut to the buffer.
void OsExecutablePath(char* buffer, std::size_t capacity);

// Keyboard: synthesis, the system's key state, the layout, the hook chain.
// One synthesized event, as KEYBDINPUT holds it.
struct OsKeyInput {
    WORD vk;
    WORD scan;
    DWORD flags; // KEYEVENTF_*
    ULONG_PTR extraInfo;
};
// SendInput of all the events in one call: no other input comes between them
// (up to OsMaxKeyInputs; more go out in several calls).
const int OsMaxKeyInputs = 512;
void OsSendKeys(const OsKeyInput* inputs, int count);
// An opaque keyboard layout (HKL); null is the calling thread's.
typedef void* OsLayout;
// The layout of the foreground window's thread.
OsLayout OsForegroundLayout();
// MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC_EX): the scan code, with 0xE0 (or
// 0xE1) in the high byte for an extended key; 0 for a key without one.
unsigned OsScanCodeOf(BYTE vk, OsLayout layout);
// GetAsyncKeyState: whether the system holds the key as down.
bool OsAsyncKeyDown(BYTE vk);
// The toggle state of Caps Lock, in the calling thread's key state.
bool OsCapsLockOn();
// The whole text of the ANSI code page as UTF-16; the units written, 0 when
// it cannot be converted.
int OsAnsiToUnicode(const char* text, int length, unsigned short* wide, int capacity);
// VkKeyScanExW: low byte the virtual key, high byte Shift 1, Ctrl 2, Alt 4; -1 for none.
short OsVkKeyScan(unsigned short character, OsLayout layout);
// Whether the character is a letter with a capital and a small form, the
// ones that Caps Lock turns.
bool OsIsCasedLetter(unsigned short character);
LRESULT OsCallNextHook(int code, WPARAM wParam, LPARAM lParam);
// UnhookWindowsHookEx (the program's, on Windows). True also when the system
// has already removed the hook itself, as it does with a low-level hook that
// once took too long: that handle is no hook any more.
bool OsRemoveHook(HHOOK hook);

// Windows and the shell.
HWND OsDesktopWindow();
void OsSetWindowText(HWND window, const char* text);
// ShellExecuteA(owner, "open", file, no parameters, no directory, SW_SHOWNORMAL).
void OsShellOpen(HWND owner, const char* file);
// Prepares the calling thread for shell calls (COM, single-threaded apartment).
void OsInitShellThread();

// Threads, a lock, a wake-up signal.
typedef void (*OsThreadProc)(void* argument);
// Starts a thread running proc(argument); false (last error set) on failure.
bool OsStartThread(OsThreadProc proc, void* argument);

struct OsLock {
#ifdef _WIN32
    CRITICAL_SECTION section;
#else
    pthread_mutex_t mutex;
#endif
};
void OsLockInit(OsLock* lock);
void OsLockEnter(OsLock* lock);
void OsLockLeave(OsLock* lock);

struct OsSignal {
#ifdef _WIN32
    HANDLE event;
#else
    pthread_mutex_t mutex;
    pthread_cond_t cond;
    bool raised;
#endif
};
// False (last error set) when the signal cannot be made.
bool OsSignalInit(OsSignal* signal);
void OsSignalRaise(OsSignal* signal);
const DWORD OsWaitForever = 0xFFFFFFFF;
// Waits until raised (auto-reset) or until the timeout passes.
void OsSignalWait(OsSignal* signal, DWORD milliseconds);

// Heap blocks for queued texts; null when none can be had.
void* OsAllocate(std::size_t size);
void OsFree(void* block);

// Files. Paths are UTF-8 text whatever the code page (the Win32 layer hands
// them to the wide calls). Readers deny writers; a writer denies everyone.
enum OsOpenOutcome {
    OsOpened,
    OsNoSuchFile,  // neither the file nor its folder is there
    OsCannotOpen,  // it is there but refused: held by another program, access denied...
};
std::FILE* OsOpenForRead(const char* path, OsOpenOutcome* outcome);
std::FILE* OsOpenForWrite(const char* path);
// Size of an open file in bytes; -1 when it cannot be told.
long long OsFileSize(std::FILE* file);
// Returns the number of bytes read: fewer than asked at the end or on an error.
std::size_t OsReadFile(std::FILE* file, void* data, std::size_t size);
// Returns the number of bytes written.
std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size);
// Puts everything written on the disk itself (FlushFileBuffers, fsync), so
// that a file swapped in afterwards is whole even after a power cut.
bool OsFlushFile(std::FILE* file);
// Closes; false when anything could not be written.
bool OsCloseFile(std::FILE* file);
// Moves `from` onto `to` in one step, replacing `to` if it exists. A
// write-protected file is neither moved nor replaced.
bool OsReplaceFile(const char* from, const char* to);
bool OsDeleteFile(const char* path);

// Programs and the foreground window (on the thread that runs the hook).
enum ProgramLookup {
    ProgramFound,
    ProgramUnknown,  // no window, no access, or a name outside the code page
    ProgramHostOnly, // a packaged app's frame whose app is not in it yet: the host's name
};
// The file name of the executable of the window's process ("notepad.exe"),
// in the ANSI code page; for the frame of a packaged app, the app's own.
ProgramLookup OsProgramOfWindow(HWND window, char* name, std::size_t capacity);
HWND OsForegroundWindow();
// Calls `changed` on this thread, while it takes messages, whenever a window
// comes to the foreground. The first call installs the watch; false when it
// cannot be installed.
bool OsWatchForeground(void (*changed)());
// Calls `proc` once on this thread, while it takes messages, `milliseconds`
// from now; a later request replaces an earlier one.
void OsCallLater(DWORD milliseconds, void (*proc)());
// The name as file names compare: capitals and small letters alike.
void OsFoldProgramName(const char* name, char* out, std::size_t capacity);
