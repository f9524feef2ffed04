#include "instancerule.h"

bool AnotherInstanceRuns(bool gotHandle, DWORD lastError)
{
    const DWORD alreadyExists = 183; // ERROR_ALREADY_EXISTS
    return !gotHandle || lastError == alreadyExists;
}
