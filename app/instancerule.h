// The single-instance rule of the program's start.
#pragma once

#include "win32types.h"

// Whether another Quillon holds the single-instance mutex, from what
// CreateMutexA gave: a handle (or none) and the last error. No handle at all
// means the mutex exists but may not be opened (an elevated Quillon owns it):
// another instance runs, and two would save over each other.
bool AnotherInstanceRuns(bool gotHandle, DWORD lastError);
