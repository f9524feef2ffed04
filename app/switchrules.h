// Rules of the remapping switch that the window procedures apply: when the
// hook has to be installed again, and where the dialog's focus may rest.
#pragma once

#include "win32types.h"

// The system drops a low-level hook without notice when one call outlasts
// its timeout. Raw keyboard input still arrives then; the hook's calls stop.
struct HookWatch {
    bool started;    // a raw key event was seen since the hook was (re)installed
    DWORD lastCalls; // the hook's call count at the last raw key event
    int misses;      // raw key events in a row with no hook call since the one before
};

// Takes one raw key event with the library's hook-call count read on its
// arrival. True when two raw key events in a row came with no hook call since
// the one before: the hook looks gone (and the watch starts counting afresh).
// Never true while no hook is installed.
bool HookLooksDropped(HookWatch* watch, bool hookInstalled, DWORD hookCalls);
// A moment after HookLooksDropped said so, with the count read again: true
// when the hook has still not been called, so that it must be installed
// again. Some systems deliver raw input ahead of the hook calls of the same
// keys; those calls have arrived by then.
bool HookStillSilent(bool hookInstalled, DWORD callsWhenSuspected, DWORD hookCalls);

// The switch's radio button (1017 or 1018) that shows `remappingEnabled`.
int CheckedSwitchRadio(int remappingEnabled);
// An automatic radio button that gets the focus clicks itself on Windows:
// the focus may rest only on the checked one. The control the focus must
// move to from `focusedId`, or 0 to leave it where it is.
int SwitchFocusTarget(int focusedId, int remappingEnabled);
