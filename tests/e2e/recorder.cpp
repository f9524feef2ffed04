// recorder.exe LOG READY [--keys-to-system]: a visible window that takes the
// focus and logs every key message it receives, one flushed line each, so the
// harness can poll the log. READY is written once the window is foreground
// and has the focus. With --keys-to-system the key messages go on to
// DefWindowProc, as in every application, and the menu it would open on Alt
// is logged ("WM_SYSCOMMAND SC_KEYMENU") instead of entered.
// After that it leaves the focus to whoever takes it (a menu or dialog under
// test), until the file READY.focus appears: then it takes the focus again,
// deletes that file and writes READY anew.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const int ShownLines = 24;
const int LineSize = 160;

struct RecorderState {
    std::FILE* log;
    char readyPath[MAX_PATH];
    char requestPath[MAX_PATH + 8];
    int wantFocus;
    bool keysToSystem;
    HWND window;
    char shown[ShownLines][LineSize]; // the last lines, painted for screenshots
    int shownNext;
};
RecorderState Recorder;

const UINT_PTR FocusTimer = 1;

void Record(const char* line)
{
    if (Recorder.log) {
        std::fprintf(Recorder.log, "%s\n", line);
        std::fflush(Recorder.log);
    }
    std::snprintf(Recorder.shown[Recorder.shownNext], LineSize, "%s", line);
    Recorder.shownNext = (Recorder.shownNext + 1) % ShownLines;
    if (Recorder.window)
        InvalidateRect(Recorder.window, nullptr, TRUE);
}

const char* MessageName(UINT message)
{
    switch (message) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    default: return nullptr;
    }
}

void RecordKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    char line[LineSize];
    unsigned flags = static_cast<unsigned>(HIWORD(lParam));
    int extended = (flags & KF_EXTENDED) ? 1 : 0;
    int up = (flags & KF_UP) ? 1 : 0;
    unsigned scan = flags & 0xFF;
    if (message == WM_CHAR || message == WM_SYSCHAR) {
        unsigned code = static_cast<unsigned>(wParam) & 0xFF;
        char shown = (code >= 0x20 && code < 0x7F) ? static_cast<char>(code) : '?';
        std::snprintf(line, sizeof line, "%s code=%u ch=%c ext=%d up=%d scan=%u", MessageName(message), code,
                      shown, extended, up, scan);
    } else {
        std::snprintf(line, sizeof line, "%s vk=%u ext=%d up=%d scan=%u", MessageName(message),
                      static_cast<unsigned>(wParam) & 0xFF, extended, up, scan);
    }
    Record(line);
}

// Ready only when the keys of the X server really come to this window.
void CheckFocus(HWND window)
{
    if (GetFileAttributesA(Recorder.requestPath) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(Recorder.requestPath);
        Recorder.wantFocus = 1;
    }
    if (!Recorder.wantFocus)
        return;
    int focused = GetForegroundWindow() == window && GetFocus() == window;
    if (!focused) {
        // Without a window manager X gives the keys to the window under the
        // pointer: on top is where they arrive.
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(window);
        return;
    }
    std::FILE* ready = std::fopen(Recorder.readyPath, "w");
    if (!ready)
        return;
    std::fprintf(ready, "focused\n");
    std::fclose(ready);
    Recorder.wantFocus = 0;
    Record("ready");
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (int i = 0; i < ShownLines; ++i) {
        const char* text = Recorder.shown[(Recorder.shownNext + i) % ShownLines];
        TextOutA(dc, 4, 4 + 16 * i, text, static_cast<int>(std::strlen(text)));
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (MessageName(message)) {
        RecordKey(message, wParam, lParam);
        // Unless asked, nothing goes on to DefWindowProc: Alt must not open the system menu.
        return Recorder.keysToSystem ? DefWindowProcA(window, message, wParam, lParam) : 0;
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU) {
            Record("WM_SYSCOMMAND SC_KEYMENU");
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFOCUS:
        Record("focus gained");
        CheckFocus(window);
        return 0;
    case WM_KILLFOCUS:
        Record("focus lost");
        return 0;
    case WM_TIMER:
        if (wParam == FocusTimer)
            CheckFocus(window);
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (argc > 3 && std::strcmp(argv[3], "--keys-to-system") != 0)) {
        std::fprintf(stderr, "usage: recorder.exe LOG READY [--keys-to-system]\n");
        return 2;
    }
    Recorder.keysToSystem = argc > 3;
    Recorder.log = std::fopen(argv[1], "a");
    if (!Recorder.log) {
        std::fprintf(stderr, "recorder: cannot open %s\n", argv[1]);
        return 2;
    }
    std::snprintf(Recorder.readyPath, sizeof Recorder.readyPath, "%s", argv[2]);
    std::snprintf(Recorder.requestPath, sizeof Recorder.requestPath, "%s.focus", Recorder.readyPath);
    Recorder.wantFocus = 1;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "QuillonE2ERecorder";
    if (!RegisterClassA(&windowClass)) {
        std::fprintf(stderr, "recorder: RegisterClassA failed (%lu)\n", GetLastError());
        return 3;
    }
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Quillon e2e recorder",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 440, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) {
        std::fprintf(stderr, "recorder: CreateWindowExA failed (%lu)\n", GetLastError());
        return 3;
    }
    Recorder.window = window;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(window);
    SetTimer(window, FocusTimer, 100, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::fclose(Recorder.log);
    return 0;
}
