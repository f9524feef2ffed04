// xkeys: raw XTEST key events for the end-to-end suites.
//   xkeys [-d MS] (down|up|tap) KEY [(down|up|tap) KEY ...]
//   xkeys [-d MS] -f FILE      the same pairs from FILE ("-" = standard input),
//                              one "down KEY" a line; blank and '#' lines skipped
//   xkeys capslock             exit code 0 while the server's Caps Lock is on
// KEY is an X keysym name (Control_R, a, Return) or, with two or more digits,
// a keycode. Unlike xdotool it sends exactly the keys named, so a right-hand
// modifier arrives as itself. -d delays each event by MS in the server.
// A list of thousands of events goes out from one process, as fast as the
// server takes them.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int MaxListEvents = 20000;
const int ListLineSize = 128;

struct EventList {
    char verbs[MaxListEvents][16];
    char keys[MaxListEvents][80];
    int count;
};
EventList List;

// Reads "VERB KEY" lines into List; false (and a message) on a bad line.
bool ReadEventList(const char* path)
{
    std::FILE* stream = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "r");
    if (!stream) {
        std::fprintf(stderr, "xkeys: cannot read %s\n", path);
        return false;
    }
    char line[ListLineSize];
    int number = 0;
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, stream)) {
        ++number;
        char verb[16] = "";
        char key[80] = "";
        char extra[8] = "";
        int fields = std::sscanf(line, "%15s %79s %7s", verb, key, extra);
        if (fields <= 0 || verb[0] == '#')
            continue;
        if (fields != 2) {
            std::fprintf(stderr, "xkeys: %s:%d: expected VERB KEY\n", path, number);
            ok = false;
        } else if (List.count == MaxListEvents) {
            std::fprintf(stderr, "xkeys: %s: more than %d events\n", path, MaxListEvents);
            ok = false;
        } else {
            std::memcpy(List.verbs[List.count], verb, sizeof verb);
            std::memcpy(List.keys[List.count], key, sizeof key);
            ++List.count;
        }
    }
    if (stream != stdin)
        std::fclose(stream);
    return ok;
}

int IsKeycode(const char* text)
{
    std::size_t length = std::strlen(text);
    if (length < 2)
        return 0;
    for (std::size_t i = 0; i < length; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return 0;
    return 1;
}

KeyCode FindKeycode(Display* display, const char* name)
{
    if (IsKeycode(name)) {
        long code = std::strtol(name, nullptr, 10);
        return (code >= 8 && code <= 255) ? static_cast<KeyCode>(code) : 0;
    }
    KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol)
        return 0;
    return XKeysymToKeycode(display, sym);
}

int Usage()
{
    std::fprintf(stderr, "usage: xkeys [-d MS] (down|up|tap) KEY ...\n"
                         "       xkeys [-d MS] -f FILE\n"
                         "       xkeys capslock\n");
    return 2;
}

} // namespace

// The Lock modifier of the server's keyboard state.
int CapsLockState()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    Window root, child;
    int x, y, windowX, windowY;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &mask);
    XCloseDisplay(display);
    return (mask & LockMask) ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "capslock") == 0)
        return CapsLockState();
    int first = 1;
    unsigned long delay = 0;
    if (argc > 2 && std::strcmp(argv[1], "-d") == 0) {
        delay = std::strtoul(argv[2], nullptr, 10);
        first = 3;
    }
    // Either the pairs of the command line or those of a list, one way below.
    int count = 0;
    if (argc == first + 2 && std::strcmp(argv[first], "-f") == 0) {
        if (!ReadEventList(argv[first + 1]))
            return 1;
        count = List.count;
    } else {
        if (argc <= first || (argc - first) % 2 != 0)
            return Usage();
        count = (argc - first) / 2;
    }
    const bool fromList = argc == first + 2 && std::strcmp(argv[first], "-f") == 0;
    auto verbAt = [&](int i) -> const char* { return fromList ? List.verbs[i] : argv[first + 2 * i]; };
    auto keyAt = [&](int i) -> const char* { return fromList ? List.keys[i] : argv[first + 2 * i + 1]; };

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xkeys: cannot open display %s\n", XDisplayName(nullptr));
        return 1;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        std::fprintf(stderr, "xkeys: the display has no XTEST\n");
        XCloseDisplay(display);
        return 1;
    }
    // Check every event before sending anything, so a typo leaves no key held.
    for (int i = 0; i < count; ++i) {
        const char* verb = verbAt(i);
        if (std::strcmp(verb, "down") != 0 && std::strcmp(verb, "up") != 0 && std::strcmp(verb, "tap") != 0) {
            XCloseDisplay(display);
            return Usage();
        }
        if (!FindKeycode(display, keyAt(i))) {
            std::fprintf(stderr, "xkeys: no keycode for '%s'\n", keyAt(i));
            XCloseDisplay(display);
            return 1;
        }
    }
    for (int i = 0; i < count; ++i) {
        const char* verb = verbAt(i);
        KeyCode code = FindKeycode(display, keyAt(i));
        if (std::strcmp(verb, "down") == 0 || std::strcmp(verb, "tap") == 0)
            XTestFakeKeyEvent(display, code, True, delay);
        if (std::strcmp(verb, "up") == 0 || std::strcmp(verb, "tap") == 0)
            XTestFakeKeyEvent(display, code, False, delay);
        XSync(display, False);
    }
    XCloseDisplay(display);
    return 0;
}
