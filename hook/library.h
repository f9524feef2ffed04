// Start-up of the hook library and its reload of "mapping.mp".
#pragma once

// The start-up that InitializeHookLibrary runs: typer and launcher threads,
// key tables, names, and the table from the mapping file.
void LibraryStartup();
// Loads the library's table from the file; a missing or damaged file keeps
// the table it holds.
void LoadLibraryTable();
