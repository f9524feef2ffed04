#include "fake_platform.h"

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "posixfiles.h"

FakePlatform Fake;

namespace {
// Windows-1252 characters 0x80-0x9F; the rest map to themselves.
const unsigned short Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::mutex g_recordMutex; // threads of the stress tests record concurrently
} // namespace

short UsLayoutKeyScan(unsigned char c)
{
    const short shift = 0x100;
    if (c >= 'a' && c <= 'z')
        return static_cast<short>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return static_cast<short>(shift | c);
    if (c >= '0' && c <= '9')
        return static_cast<short>(c);
    switch (c) {
    case ' ': return 0x20;
    case '\t': return 0x09;
    case '\n': return 0x20D; // Ctrl+Return, as Windows reports it
    case '\r': return 0x0D;
    case '\b': return 0x08;
    case 0x1B: return 0x1DB; // Ctrl+[
    case '!': return shift | '1';
    case '@': return shift | '2';
    case '#': return shift | '3';
    case '$': return shift | '4';
    case '%': return shift | '5';
    case '^': return shift | '6';
    case '&': return shift | '7';
    case '*': return shift | '8';
    case '(': return shift | '9';
    case ')': return shift | '0';
    case ';': return 0xBA;
    case ':': return shift | 0xBA;
    case '=': return 0xBB;
    case '+': return shift | 0xBB;
    case ',': return 0xBC;
    case '<': return shift | 0xBC;
    case '-': return 0xBD;
    case '_': return shift | 0xBD;
    case '.': return 0xBE;
    case '>': return shift | 0xBE;
    case '/': return 0xBF;
    case '?': return shift | 0xBF;
    case '`': return 0xC0;
    case '~': return shift | 0xC0;
    case '[': return 0xDB;
    case '{': return shift | 0xDB;
    case '\\': return 0xDC;
    case '|': return shift | 0xDC;
    case ']': return 0xDD;
    case '}': return shift | 0xDD;
    case '\'': return 0xDE;
    case '"': return shift | 0xDE;
    default: return -1;
    }
}

std::vector<FakeKeyEvent> FakeKeyEventsSoFar()
{
    std::lock_guard<std::mutex> guard(g_recordMutex);
    return Fake.keyEvents;
}

void FakeReset()
{
    Fake.~FakePlatform();
    new (&Fake) FakePlatform();
    for (int c = 0; c < 256; ++c) {
        Fake.layout[c] = UsLayoutKeyScan(static_cast<unsigned char>(c));
        Fake.ansiToUnicode[c] =
            (c >= 0x80 && c < 0xA0) ? Cp1252High[c - 0x80] : static_cast<unsigned short>(c);
    }
}

int OsMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        Fake.messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    }
    if (Fake.duringMessageBox)
        Fake.duringMessageBox();
    return Fake.messageBoxResult;
}

void OsMessageBeep(UINT type)
{
    std::lock_guard<std::mutex> guard(g_recordMutex);
    Fake.beeps.push_back(type);
}

void OsSleep(DWORD milliseconds)
{
    {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        Fake.sleeps.push_back(milliseconds);
    }
    if (Fake.runThreads) {
        struct timespec pause = {0, static_cast<long>(milliseconds) * 1000000L};
        nanosleep(&pause, nullptr);
    }
}

void OsExitProcess(UINT code) { Fake.exitCodes.push_back(code); }

DWORD OsLastError() { return Fake.lastError; }

void OsSystemErrorText(DWORD code, char* buffer, std::size_t capacity)
{
    std::snprintf(buffer, capacity, "System error %u.", static_cast<unsigned>(code));
}

void OsExecutablePath(char* buffer, std::size_t capacity)
{
    std::snprintf(buffer, capacity, "%s", Fake.executablePath.c_str());
}

void OsKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo)
{
    FakeKeyEvent event = {vk, scan, flags, extraInfo, 0};
    if (Fake.recordKeys) {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        Fake.keyEvents.push_back(event);
        Fake.systemKeys[vk] = (flags & KEYEVENTF_KEYUP) ? 0 : 0x80;
    }
    if (Fake.reinject)
        Fake.reinject(event);
}

void OsSendUnicodeChar(unsigned short character, bool keyUp)
{
    FakeKeyEvent event = {0, 0, static_cast<DWORD>(KEYEVENTF_UNICODE | (keyUp ? KEYEVENTF_KEYUP : 0)),
                          0, character};
    {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        Fake.keyEvents.push_back(event);
    }
    if (Fake.reinject)
        Fake.reinject(event);
}

unsigned short OsAnsiToUnicode(char character)
{
    return Fake.ansiToUnicode[static_cast<unsigned char>(character)];
}

short OsVkKeyScan(char character) { return Fake.layout[static_cast<unsigned char>(character)]; }

LRESULT OsCallNextHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (Fake.recordKeys)
        Fake.hookPasses.push_back({code, wParam, lParam});
    // A real event reaches the system; an injected one was counted when it
    // was synthesized, or is another program's.
    const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (Fake.recordKeys && event && wParam >= WM_KEYDOWN && wParam <= WM_SYSKEYUP &&
        !(event->flags & LLKHF_INJECTED)) {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        Fake.systemKeys[event->vkCode & 0xFF] = (event->flags & LLKHF_UP) ? 0 : 0x80;
    }
    return Fake.nextHookResult;
}

HWND OsDesktopWindow() { return FakeDesktop; }

void OsSetWindowText(HWND window, const char* text) { Fake.windowTexts.push_back({window, text}); }

void OsShellOpen(HWND owner, const char* file)
{
    std::lock_guard<std::mutex> guard(g_recordMutex);
    Fake.shellOpens.push_back({owner, file});
}

void OsInitShellThread() { ++Fake.shellThreadInits; }

namespace {
struct RealThreadStart {
    OsThreadProc proc;
    void* argument;
};

void* RealThreadEntry(void* parameter)
{
    RealThreadStart start = *static_cast<RealThreadStart*>(parameter);
    delete static_cast<RealThreadStart*>(parameter);
    start.proc(start.argument);
    return nullptr;
}
} // namespace

bool OsStartThread(OsThreadProc proc, void* argument)
{
    if (Fake.failThreadStart)
        return false;
    Fake.threads.push_back({proc, argument});
    if (!Fake.runThreads)
        return true;
    pthread_t thread;
    RealThreadStart* start = new RealThreadStart{proc, argument};
    if (pthread_create(&thread, nullptr, RealThreadEntry, start) != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

void OsLockInit(OsLock* lock) { pthread_mutex_init(&lock->mutex, nullptr); }
void OsLockEnter(OsLock* lock) { pthread_mutex_lock(&lock->mutex); }
void OsLockLeave(OsLock* lock) { pthread_mutex_unlock(&lock->mutex); }

bool OsSignalInit(OsSignal* signal)
{
    if (Fake.failSignalInit)
        return false;
    pthread_mutex_init(&signal->mutex, nullptr);
    pthread_cond_init(&signal->cond, nullptr);
    signal->raised = false;
    return true;
}

void OsSignalRaise(OsSignal* signal)
{
    pthread_mutex_lock(&signal->mutex);
    signal->raised = true;
    pthread_cond_signal(&signal->cond);
    pthread_mutex_unlock(&signal->mutex);
}

void OsSignalWait(OsSignal* signal, DWORD milliseconds)
{
    pthread_mutex_lock(&signal->mutex);
    if (!signal->raised) {
        struct timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += milliseconds / 1000;
        until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
        if (until.tv_nsec >= 1000000000L) {
            until.tv_sec += 1;
            until.tv_nsec -= 1000000000L;
        }
        pthread_cond_timedwait(&signal->cond, &signal->mutex, &until);
    }
    signal->raised = false;
    pthread_mutex_unlock(&signal->mutex);
}

void* OsAllocate(std::size_t size)
{
    {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        if (Fake.allocationsLeft == 0)
            return nullptr;
        if (Fake.allocationsLeft > 0)
            --Fake.allocationsLeft;
    }
    return std::malloc(size);
}

void OsFree(void* block) { std::free(block); }

namespace {
// The path of each open file, for the record of file calls and the store.
std::map<std::FILE*, std::string> g_open;

bool Held(const char* path) { return !Fake.heldFile.empty() && Fake.heldFile == path; }

std::FILE* Opened(std::FILE* stream, const char* path)
{
    if (stream)
        g_open[stream] = path;
    return stream;
}

// How much of `size` bytes a fault switch lets through (-1: all of them).
std::size_t Allowed(long* bytesLeft, std::size_t size)
{
    if (*bytesLeft < 0)
        return size;
    std::size_t allowed = static_cast<long>(size) > *bytesLeft ? static_cast<std::size_t>(*bytesLeft) : size;
    *bytesLeft -= static_cast<long>(allowed);
    return allowed;
}
} // namespace

std::FILE* OsOpenForRead(const char* path, OsOpenOutcome* outcome)
{
    if (Held(path) || Fake.unreadableFile == path) {
        *outcome = OsCannotOpen;
        return nullptr;
    }
    if (!Fake.memoryFiles)
        return Opened(PosixOpenForRead(path, outcome), path);
    auto file = Fake.files.find(path);
    if (file == Fake.files.end()) {
        *outcome = OsNoSuchFile;
        return nullptr;
    }
    static char none[1];
    std::vector<char>& bytes = file->second;
    std::FILE* stream = fmemopen(bytes.empty() ? none : bytes.data(), bytes.size(), "rb");
    // A buffer of the fake's own: a fresh one at every open costs more than the read.
    static char buffers[4][BUFSIZ];
    if (stream)
        setvbuf(stream, buffers[g_open.size() % 4], _IOFBF, BUFSIZ);
    *outcome = stream ? OsOpened : OsCannotOpen;
    return Opened(stream, path);
}

std::FILE* OsOpenForWrite(const char* path)
{
    // The memory store is only read: the fuzz targets never save.
    if (Fake.failOpenForWrite || Held(path) || Fake.memoryFiles)
        return nullptr;
    return Opened(PosixOpenForWrite(path), path);
}

long long OsFileSize(std::FILE* file)
{
    if (!Fake.memoryFiles)
        return PosixFileSize(file);
    auto stored = Fake.files.find(g_open[file]);
    return stored == Fake.files.end() ? -1 : static_cast<long long>(stored->second.size());
}

std::size_t OsReadFile(std::FILE* file, void* data, std::size_t size)
{
    return PosixReadFile(file, data, Allowed(&Fake.readBytesLeft, size));
}

std::size_t OsWriteFile(std::FILE* file, const void* data, std::size_t size)
{
    return PosixWriteFile(file, data, Allowed(&Fake.writeBytesLeft, size));
}

bool OsFlushFile(std::FILE* file)
{
    Fake.fileCalls.push_back("flush " + g_open[file]);
    return !Fake.failFlush && PosixFlushFile(file);
}

bool OsCloseFile(std::FILE* file)
{
    g_open.erase(file);
    return PosixCloseFile(file) && !Fake.failClose;
}

bool OsReplaceFile(const char* from, const char* to)
{
    Fake.fileCalls.push_back(std::string("replace ") + from + " " + to);
    return !Fake.failReplace && !Held(from) && !Held(to) && PosixReplaceFile(from, to);
}

bool OsDeleteFile(const char* path)
{
    Fake.fileCalls.push_back(std::string("delete ") + path);
    return !Held(path) && PosixDeleteFile(path);
}
