#include "sessionnotices.h"

#include <wtsapi32.h>

namespace {

typedef BOOL(WINAPI* RegisterFn)(HWND, DWORD);
typedef BOOL(WINAPI* UnregisterFn)(HWND);

struct SessionNoticeState {
    UnregisterFn unregister;
    HWND registered; // null while no registration stands
};
SessionNoticeState Session;

template <typename Fn> Fn Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

void RegisterSessionNotices(HWND window)
{
    if (!window || Session.registered)
        return;
    HMODULE wts = LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!wts)
        return;
    RegisterFn registerWindow = Bind<RegisterFn>(wts, "WTSRegisterSessionNotification");
    Session.unregister = Bind<UnregisterFn>(wts, "WTSUnRegisterSessionNotification");
    if (registerWindow && Session.unregister && registerWindow(window, NOTIFY_FOR_THIS_SESSION))
        Session.registered = window;
}

void UnregisterSessionNotices()
{
    if (Session.registered)
        Session.unregister(Session.registered);
    Session.registered = nullptr;
}
