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
    if (watch->misses < 2)
        return false;
    // Two more misses make the next suspicion, should this one come to nothing.
    watch->misses = 0;
    return true;
}

bool HookStillSilent(bool hookInstalled, DWORD callsWhenSuspected, DWORD hookCalls)
{
    return hookInstalled && hookCalls == callsWhenSuspected;
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
