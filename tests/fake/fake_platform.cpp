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
    Fake.foregroundLayout = FakeUsLayout;
    for (int c = 0; c < 256; ++c) {
        Fake.layout[c] = UsLayoutKeyScan(static_cast<unsigned char>(c));
        Fake.otherLayout[c] = Fake.layout[c];
        Fake.ansiToUnicode[c] =
            (c >= 0x80 && c < 0xA0) ? Cp1252High[c - 0x80] : static_cast<unsigned short>(c);
    }
    for (int c : {'y', 'Y', 'z', 'Z'})
        Fake.otherLayout[c] = static_cast<short>(Fake.layout[c] ^ ('Y' ^ 'Z'));
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

namespace {
// Set-1 scan codes of the US layout, 0xE0 in the high byte for extended keys.
unsigned UsScanCode(int vk)
{
    static const char letters[] = "\x1E\x30\x2E\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19"
                                  "\x10\x13\x1F\x14\x16\x2F\x11\x2D\x15\x2C";
    static const unsigned char numpad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    static const unsigned char browserAndMedia[] = {0x6A, 0x69, 0x67, 0x68, 0x65, 0x66, 0x32, 0x20, 0x2E,
                                                    0x30, 0x19, 0x10, 0x24, 0x22, 0x6C, 0x6D, 0x6B, 0x21};
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<unsigned char>(letters[vk - 'A']);
    if (vk >= 0xA6 && vk <= 0xB7)
        return 0xE000u | browserAndMedia[vk - 0xA6];
    if (vk >= '1' && vk <= '9')
        return static_cast<unsigned>(vk - '1' + 2);
    if (vk >= 0x70 && vk <= 0x79)
        return static_cast<unsigned>(vk - 0x70 + 0x3B); // F1-F10
    if (vk >= 0x60 && vk <= 0x69)
        return numpad[vk - 0x60];
    switch (vk) {
    case '0': return 0x0B;
    case 0x03: return 0xE046;
    case 0x08: return 0x0E;
    case 0x09: return 0x0F;
    case 0x0D: return 0x1C;
    case 0x10: case 0xA0: return 0x2A;
    case 0xA1: return 0x36;
    case 0x11: case 0xA2: return 0x1D;
    case 0xA3: return 0xE01D;
    case 0x12: case 0xA4: return 0x38;
    case 0xA5: return 0xE038;
    case 0x13: return 0xE11D;
    case 0x14: return 0x3A;
    case 0x1B: return 0x01;
    case 0x20: return 0x39;
    case 0x21: return 0xE049;
    case 0x22: return 0xE051;
    case 0x23: return 0xE04F;
    case 0x24: return 0xE047;
    case 0x25: return 0xE04B;
    case 0x26: return 0xE048;
    case 0x27: return 0xE04D;
    case 0x28: return 0xE050;
    case 0x2C: return 0xE037;
    case 0x2D: return 0xE052;
    case 0x2E: return 0xE053;
    case 0x5B: return 0xE05B;
    case 0x5C: return 0xE05C;
    case 0x5D: return 0xE05D;
    case 0x5F: return 0xE05F;
    case 0x6F: return 0xE035;
    case 0x7A: return 0x57;
    case 0x7B: return 0x58;
    case 0x90: return 0xE045;
    case 0x91: return 0x46;
    case 0xBA: return 0x27;
    case 0xBB: return 0x0D;
    case 0xBC: return 0x33;
    case 0xBD: return 0x0C;
    case 0xBE: return 0x34;
    case 0xBF: return 0x35;
    case 0xC0: return 0x29;
    case 0xDB: return 0x1A;
    case 0xDC: return 0x2B;
    case 0xDD: return 0x1B;
    case 0xDE: return 0x28;
    default: return 0;
    }
}

// The key that a generic Shift, Ctrl or Alt stands for.
int SideKey(int vk, WORD scan, bool extended)
{
    switch (vk) {
    case 0x10: return scan == 0x36 ? 0xA1 : 0xA0;
    case 0x11: return extended ? 0xA3 : 0xA2;
    case 0x12: return extended ? 0xA5 : 0xA4;
    default: return vk;
    }
}

BYTE MenuBit(int vk)
{
    switch (vk) {
    case 0xA4: return 1;
    case 0xA5: return 2;
    case 0x5B: return 4;
    case 0x5C: return 8;
    default: return 0;
    }
}

// Whether Alt or Win goes down and up alone towards the system.
void MenuWatchSees(int key, bool up, bool user)
{
    BYTE bit = MenuBit(key);
    if (!up) {
        Fake.loneMenuKeys = bit;
        Fake.lonePressedByUser = user ? bit : 0;
        Fake.loneSwallowedSince = 0;
    } else if (Fake.loneMenuKeys & bit) {
        if (!user || !(Fake.lonePressedByUser & bit) || (Fake.loneSwallowedSince & bit))
            ++Fake.strayMenuTaps;
        Fake.loneMenuKeys &= static_cast<BYTE>(~bit);
    }
}

// One key event reaching the system.
void SystemSees(int vk, WORD scan, bool extended, bool up, bool user)
{
    int key = SideKey(vk, scan, extended);
    if (!up && !Fake.systemKeys[key] && (key == 0x14 || key == 0x90 || key == 0x91))
        Fake.toggled[key] = !Fake.toggled[key];
    Fake.systemKeys[key] = up ? 0 : 0x80;
    MenuWatchSees(key, up, user);
}

int g_reinjecting = 0; // depth of the sent keys coming back through the hook
} // namespace

void FakeNoteSwallowed() { Fake.loneSwallowedSince |= Fake.loneMenuKeys; }

void OsSendKeys(const OsKeyInput* inputs, int count)
{
    int call;
    {
        std::lock_guard<std::mutex> guard(g_recordMutex);
        call = ++Fake.sendInputCalls;
    }
    for (int i = 0; i < count; ++i) {
        const OsKeyInput& in = inputs[i];
        bool unicode = (in.flags & KEYEVENTF_UNICODE) != 0;
        FakeKeyEvent event = {static_cast<BYTE>(in.vk), in.scan, in.flags, in.extraInfo,
                              static_cast<unsigned short>(unicode ? in.scan : 0), call};
        {
            std::lock_guard<std::mutex> guard(g_recordMutex);
            if (Fake.recordKeys)
                Fake.keyEvents.push_back(event);
            // A character event arrives as VK_PACKET.
            SystemSees(unicode ? 0xE7 : in.vk, in.scan, (in.flags & KEYEVENTF_EXTENDEDKEY) != 0,
                       (in.flags & KEYEVENTF_KEYUP) != 0, false);
        }
        if (Fake.reinject) {
            ++g_reinjecting;
            Fake.reinject(event);
            --g_reinjecting;
        }
    }
}

OsLayout OsForegroundLayout() { return Fake.foregroundLayout; }

unsigned OsScanCodeOf(BYTE vk, OsLayout layout)
{
    // The other layout has Y and Z where the US one has Z and Y.
    if (layout == FakeOtherLayout && (vk == 'Y' || vk == 'Z'))
        vk = static_cast<BYTE>(vk ^ ('Y' ^ 'Z'));
    return UsScanCode(vk);
}

bool OsAsyncKeyDown(BYTE vk) { return Fake.systemKeys[SideKey(vk, 0, false)] != 0; }

bool OsCapsLockOn() { return Fake.toggled[0x14]; }

int OsAnsiToUnicode(const char* text, int length, unsigned short* wide, int capacity)
{
    int n = 0;
    for (int i = 0; i < length && n < capacity; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool lead = Fake.doubleByte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
        if (lead && i + 1 < length)
            wide[n++] = static_cast<unsigned short>(c << 8 | static_cast<unsigned char>(text[++i]));
        else
            wide[n++] = Fake.ansiToUnicode[c];
    }
    return n;
}

short OsVkKeyScan(unsigned short character, OsLayout layout)
{
    if (character > 0xFF)
        return -1;
    return (layout == FakeOtherLayout ? Fake.otherLayout : Fake.layout)[character];
}

bool OsIsCasedLetter(unsigned short c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0xFE && c != 0xD7 && c != 0xF7 && c != 0xDF);
}

namespace {
// A real event reaches the system; an injected one was counted when it was
// sent, or is another program's.
void SystemTakes(int code, WPARAM wParam, LPARAM lParam)
{
    const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code != HC_ACTION || !event || wParam < WM_KEYDOWN || wParam > WM_SYSKEYUP)
        return;
    int vk = static_cast<int>(event->vkCode & 0xFF);
    bool up = (event->flags & LLKHF_UP) != 0;
    if (!(event->flags & LLKHF_INJECTED))
        SystemSees(vk, static_cast<WORD>(event->scanCode), (event->flags & LLKHF_EXTENDED) != 0, up, true);
    else if (g_reinjecting == 0) // another program's key comes between like any, and is not Quillon's
        Fake.loneMenuKeys = up ? static_cast<BYTE>(Fake.loneMenuKeys & ~MenuBit(vk)) : 0;
}
} // namespace

// Out of the way of the benchmarks, which turn recording and following off.
LRESULT OsCallNextHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (Fake.recordKeys)
        Fake.hookPasses.push_back({code, wParam, lParam});
    // Kept also while not recording: the hook asks for the system's key state.
    if (Fake.followSystem)
        SystemTakes(code, wParam, lParam);
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
    if (!Fake.runThreads && milliseconds != OsWaitForever) {
        // No other thread runs that could raise it.
    } else if (milliseconds == OsWaitForever) {
        while (!signal->raised)
            pthread_cond_wait(&signal->cond, &signal->mutex);
    } else if (!signal->raised) {
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
