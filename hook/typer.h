// The typer thread: types the queued texts as synthesized key events.
#pragma once

#include "win32types.h"

struct TyperState {
    bool started;
};
extern TyperState Typer;

// Starts the typer once per process; exit code 2 when it cannot be started.
void InitializeThreadedTyper();
// The thread's loop; never returns.
void TyperThread(void* unused);
// Releases the keys of `held` (0x80 each) that are down towards the system,
// then types `text` as stored with Caps Lock as given; its last event asks
// the hook to press again what the user still holds.
void TypeString(const char* text, const BYTE* held = nullptr, bool capsLock = false);
// "%s failed with error %d: %s" in a box titled "Error".
void ReportLastError(const char* operation);
