// The hook's match index as the program in front sees the table: the
// combinations whose where does not hold for it are left out, so that the
// hook's work per key event stays what it is without wheres. A view is
// built when another program comes to the front, never on a key event.
//
// A key keeps the view of its press until it is let go: its auto-repeat and
// its release follow its press's decision even when another program came to
// the front meanwhile. A program that comes to the front while every view is
// held by keys pressed in other programs takes a view once one is let go.
#pragma once

#include "matchindex.h"
#include "programids.h"

const int ViewCount = 4;

struct ProgramViews {
    ProgramIdTable ids;
    MatchIndex index[ViewCount];
    short program[ViewCount]; // the program each index shows; -1 none
    BYTE keyView[256];        // the view of each held key's press
    int current;              // the view that a new press takes
    short wanted;             // the program in front
    bool acts[MaxCombinations]; // scratch: the records a view holds
};
extern ProgramViews Views;

// After every load of the table: numbers its programs, folds its records and
// builds the view of the program in front; every key held takes that view.
void BuildViews(CombinationTable* table, const char* foregroundProgram);
// Another program (folded) came to the front.
void SetViewProgram(const char* folded);
// Brings the current view to the program in front: a view already built for
// it, else one that no held key uses.
void TakeWantedView();
// The view for a real key event on `vk` (`held`: down before it): a new
// press takes the current view and keeps it until its release.
inline const MatchIndex* ViewOfEvent(int vk, bool down, bool held)
{
    // A view left waiting for a program takes it once a key is let go.
    if (!held && Views.program[Views.current] != Views.wanted)
        TakeWantedView();
    int view = held ? Views.keyView[vk] : Views.current;
    if (down)
        Views.keyView[vk] = static_cast<BYTE>(view);
    return &Views.index[view];
}
