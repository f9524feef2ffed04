// hookhost.exe [--ready FILE] [--log FILE] [--no-library] [--cut]
// Loads Quillhook.dll the way the program does (KeyRemapProc bound by name,
// the library's start-up run through InitializeHookLibrary once it is bound,
// WH_KEYBOARD_LL on this thread) and pumps messages until it is
// killed or gets WM_QUIT. --log adds a hook of its own in front of the
// library's that records every event the system delivers, injected or not.
// --cut makes that hook pass each event on to the system but to no hook
// after it: to those, it is as if the system had dropped them.
// Exit codes: 0 after WM_QUIT, 1 library/export/hook failure, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "quillhook.h"

namespace {

struct HostState {
    std::FILE* log;
    bool cut;
};
HostState Host;

LRESULT CALLBACK LogProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && Host.log) {
        const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::fprintf(Host.log, "hook vk=%lu scan=%lu up=%d injected=%d ext=%d\n",
                     static_cast<unsigned long>(event->vkCode), static_cast<unsigned long>(event->scanCode),
                     (event->flags & LLKHF_UP) ? 1 : 0, (event->flags & LLKHF_INJECTED) ? 1 : 0,
                     (event->flags & LLKHF_EXTENDED) ? 1 : 0);
        std::fflush(Host.log);
    }
    if (Host.cut && code == HC_ACTION)
        return 0;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int WriteReady(const char* path, const char* text)
{
    std::FILE* ready = std::fopen(path, "w");
    if (!ready)
        return 0;
    std::fprintf(ready, "%s\n", text);
    std::fclose(ready);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const char* readyPath = nullptr;
    const char* logPath = nullptr;
    int useLibrary = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ready") == 0 && i + 1 < argc) {
            readyPath = argv[++i];
        } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else if (std::strcmp(argv[i], "--no-library") == 0) {
            useLibrary = 0;
        } else if (std::strcmp(argv[i], "--cut") == 0) {
            Host.cut = true;
        } else {
            std::fprintf(stderr, "usage: hookhost.exe [--ready FILE] [--log FILE] [--no-library] [--cut]\n");
            return 2;
        }
    }

    if (useLibrary) {
        HMODULE library = LoadLibraryA("Quillhook.dll");
        if (!library) {
            std::printf("hookhost: Quillhook.dll not loaded (error %lu)\n", GetLastError());
            return 1;
        }
        KeyRemapProcFn proc = reinterpret_cast<KeyRemapProcFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "KeyRemapProc")));
        InitializeHookLibraryFn initialize = reinterpret_cast<InitializeHookLibraryFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "InitializeHookLibrary")));
        if (!proc || !initialize) {
            std::printf("hookhost: KeyRemapProc or InitializeHookLibrary not exported\n");
            return 1;
        }
        initialize();
        if (!SetWindowsHookExA(WH_KEYBOARD_LL, proc, library, 0)) {
            std::printf("hookhost: SetWindowsHookExA failed (error %lu)\n", GetLastError());
            return 1;
        }
    }
    if (logPath) {
        Host.log = std::fopen(logPath, "a");
        if (!Host.log) {
            std::printf("hookhost: cannot open %s\n", logPath);
            return 2;
        }
        // Installed last, so called first: it sees what reaches the library.
        if (!SetWindowsHookExA(WH_KEYBOARD_LL, LogProc, GetModuleHandleA(nullptr), 0)) {
            std::printf("hookhost: logging hook failed (error %lu)\n", GetLastError());
            return 1;
        }
    }
    std::printf("hookhost: hooked\n");
    std::fflush(stdout);
    if (readyPath && !WriteReady(readyPath, "hooked")) {
        std::printf("hookhost: cannot write %s\n", readyPath);
        return 2;
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (Host.log)
        std::fclose(Host.log);
    return 0;
}
