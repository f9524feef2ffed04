// Quillhook.dll in the program: the one place that loads it and binds its
// exports (the list of hook/exportlist.h), and where DLLs may come from.
#pragma once

#include <windows.h>

#include "quillhook.h"

// The entry points of the library, each under its export's name.
struct LibraryExports {
#define QUILLHOOK_EXPORT(name, failureText, caption) name##Fn name;
#include "exportlist.h"
#undef QUILLHOOK_EXPORT
};
extern LibraryExports Library;
extern HMODULE HookLibrary; // never unloaded

// Keeps the current folder and PATH out of every later DLL load.
void RestrictDllSearch();
// Loads Quillhook.dll from the program's own folder, binds every export and
// runs the library's start-up. Ends the process with 1 when the library or an
// export is missing (and with 2 when the library's typer cannot start).
void LoadHookLibrary();
