// A stand-in for Quillhook.dll that does nothing: built once per export,
// each time without that one (see CMakeLists.txt), so that the suites can see
// how Quillon.exe reports a library that lacks an export. The program binds
// every export before it calls any, so none of these is ever called.
#define QUILLHOOK_EXPORT(name, failureText, caption) \
    extern "C" void name() {}
#include "exportlist.h"
#undef QUILLHOOK_EXPORT
