// The fake's foreground window: a new window each time, whose program the test names.
#include <cstdio>

#include "fake_platform.h"

namespace {
HWND FakeForegroundWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xF0F0 + Fake.foregroundChanges));
}
} // namespace

void FakeForeground(const std::string& program, ProgramLookup lookup, bool watchTold)
{
    Fake.foregroundProgram = program;
    Fake.foregroundLookup = lookup;
    ++Fake.foregroundChanges;
    if (Fake.foregroundWatch && watchTold)
        Fake.foregroundWatch();
}

ProgramLookup OsProgramOfWindow(HWND window, char* name, std::size_t capacity)
{
    if (capacity == 0)
        return ProgramUnknown;
    name[0] = 0;
    if (window != FakeForegroundWindow() || Fake.foregroundLookup == ProgramUnknown)
        return ProgramUnknown;
    std::snprintf(name, capacity, "%s", Fake.foregroundProgram.c_str());
    return Fake.foregroundLookup;
}

HWND OsForegroundWindow() { return Fake.foregroundProgram.empty() ? nullptr : FakeForegroundWindow(); }

bool OsWatchForeground(void (*changed)())
{
    Fake.foregroundWatch = changed;
    return true;
}

void OsCallLater(DWORD milliseconds, void (*proc)())
{
    Fake.later = proc;
    Fake.laterDelay = milliseconds;
}

void OsFoldProgramName(const char* name, char* out, std::size_t capacity)
{
    std::size_t i = 0;
    for (; capacity > 0 && i < capacity - 1 && name[i]; ++i)
        out[i] = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
    if (capacity > 0)
        out[i] = 0;
}
