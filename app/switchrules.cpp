#include "switchrules.h"

#include "resource.h"

bool HookLooksDropped(HookWatch* watch, bool hookInstalled, DWORD hookCalls)
{
    if (!hookInstalled) {
        *watch = HookWatch();
        return false;
    }
    bool called = !watch->started || hookCalls != watch->lastCalls;
    watch->started = true;
    watch->lastCalls = hookCalls;
    watch->misses = called ? 0 : watch->misses + 1;
    return watch->misses == 2;
}

bool HookStillSilent(HookWatch* watch, bool hookInstalled, DWORD hookCalls)
{
    bool silent = hookInstalled && watch->misses >= 2 && hookCalls == watch->lastCalls;
    // A new hook, or one that was only late, starts a fresh watch.
    *watch = HookWatch();
    return silent;
}

int CheckedSwitchRadio(int remappingEnabled)
{
    return remappingEnabled ? IDC_ENABLE : IDC_DISABLE;
}

int SwitchFocusTarget(int focusedId, int remappingEnabled)
{
    if (focusedId != IDC_ENABLE && focusedId != IDC_DISABLE)
        return 0;
    int checked = CheckedSwitchRadio(remappingEnabled);
    return focusedId == checked ? 0 : checked;
}
