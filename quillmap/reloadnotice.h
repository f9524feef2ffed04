// Telling a running Quillon that its mapping file has changed.
#pragma once

enum ReloadNotice {
    QuillonNotRunning,
    QuillonTold,
    QuillonNotTold, // it runs, but the message could not be posted
};

// Posts "QuillonReloadMapping" to Quillon's hidden main window. Always
// QuillonNotRunning where there is no Windows.
ReloadNotice TellQuillonToReload();
