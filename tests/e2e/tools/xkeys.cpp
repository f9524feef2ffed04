// xkeys: raw XTEST key events for the end-to-end suites.
//   xkeys [-d MS] (down|up|tap) KEY [(down|up|tap) KEY ...]
// KEY is an X keysym name (Control_R, a, Return) or, with two or more digits,
// a keycode. Unlike xdotool it sends exactly the keys named, so a right-hand
// modifier arrives as itself. -d delays each event by MS in the server.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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
    std::fprintf(stderr, "usage: xkeys [-d MS] (down|up|tap) KEY ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    unsigned long delay = 0;
    if (argc > 2 && std::strcmp(argv[1], "-d") == 0) {
        delay = std::strtoul(argv[2], nullptr, 10);
        first = 3;
    }
    if (argc <= first || (argc - first) % 2 != 0)
        return Usage();

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
    // Check every argument before sending anything, so a typo leaves no key held.
    for (int i = first; i < argc; i += 2) {
        const char* verb = argv[i];
        if (std::strcmp(verb, "down") != 0 && std::strcmp(verb, "up") != 0 && std::strcmp(verb, "tap") != 0) {
            XCloseDisplay(display);
            return Usage();
        }
        if (!FindKeycode(display, argv[i + 1])) {
            std::fprintf(stderr, "xkeys: no keycode for '%s'\n", argv[i + 1]);
            XCloseDisplay(display);
            return 1;
        }
    }
    for (int i = first; i < argc; i += 2) {
        const char* verb = argv[i];
        KeyCode code = FindKeycode(display, argv[i + 1]);
        if (std::strcmp(verb, "down") == 0 || std::strcmp(verb, "tap") == 0)
            XTestFakeKeyEvent(display, code, True, delay);
        if (std::strcmp(verb, "up") == 0 || std::strcmp(verb, "tap") == 0)
            XTestFakeKeyEvent(display, code, False, delay);
        XSync(display, False);
    }
    XCloseDisplay(display);
    return 0;
}
