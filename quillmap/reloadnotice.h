// Telling a running Quillon that its mapping file has changed.
#pragma once

enum ReloadNotice {
    QuillonNotRunning,
    QuillonOtherFile, // it runs, but `writtenFile` is not its mapping file (or that cannot be told)
    QuillonTold,
    QuillonNotTold,   // it runs with that file, but the message could not be posted
};

// Posts "QuillonReloadMapping" to Quillon's hidden main window when
// `writtenFile` (UTF-8) is the "mapping.mp" beside the running Quillon.exe.
// Always QuillonNotRunning where there is no Windows.
ReloadNotice TellQuillonToReload(const char* writtenFile);
