#include "endrequest.h"

#include <cstdio>

namespace {

struct EndRequestState {
    HANDLE event; // held until the process ends
    HANDLE wait;
};
EndRequestState EndRequest;

VOID CALLBACK OnEndRequested(PVOID window, BOOLEAN)
{
    // The window's thread ends the program; this pool thread only asks.
    PostMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
}

} // namespace

void StartEndRequestWatch(HWND window)
{
    char name[64];
    std::snprintf(name, sizeof name, "Local\\Quillon_End_%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    EndRequest.event = CreateEventA(nullptr, TRUE, FALSE, name);
    if (!EndRequest.event)
        return;
    RegisterWaitForSingleObject(&EndRequest.wait, EndRequest.event, OnEndRequested, window, INFINITE,
                                WT_EXECUTEONLYONCE);
}
