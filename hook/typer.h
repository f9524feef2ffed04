// The typer thread: types the queued texts as synthesized key events.
#pragma once

struct TyperState {
    bool started;
};
extern TyperState Typer;

// Starts the typer once per process; exit code 2 when it cannot be started.
void InitializeThreadedTyper();
// The thread's loop; never returns.
void TyperThread(void* unused);
// Releases every key the library holds as down, then types `text`.
void TypeString(const char* text);
// "%s failed with error %d: %s" in a box titled "Error".
void ReportLastError(const char* operation);
