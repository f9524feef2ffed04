#include "programtexts.h"

#include <cstdio>
#include <cstring>

#include "quillonversion.h"

void CutTrayTip(const char* title, char* tip)
{
    std::snprintf(tip, TrayTipSize, "%.*s", TrayTipSize - 1, title);
}

void QuotePath(const char* path, char* out, std::size_t capacity)
{
    if (capacity == 0)
        return;
    if (std::strchr(path, ' '))
        std::snprintf(out, capacity, "\"%s\"", path);
    else
        std::snprintf(out, capacity, "%s", path);
}

void AutorunValueText(const char* path, char* out, std::size_t capacity)
{
    QuotePath(path, out, capacity);
    AppendAutorunSwitch(out, capacity);
}

void AppendAutorunSwitch(char* quotedPath, std::size_t capacity)
{
    std::size_t used = std::strlen(quotedPath);
    if (used + 1 < capacity)
        std::snprintf(quotedPath + used, capacity - used, "%s", "  /background");
}

bool HasBackgroundSwitch(const char* commandLine)
{
    return commandLine && std::strstr(commandLine, "/background") != nullptr;
}

void ComposeTitles(char* enabledTitle, char* disabledTitle, std::size_t capacity)
{
    std::snprintf(enabledTitle, capacity, "%s - %s.%s (Build %s)", "Quillon", QUILLON_VERSION_MAJOR_TEXT,
                  QUILLON_VERSION_MINOR_TEXT, QUILLON_VERSION_BUILD_TEXT);
    std::snprintf(disabledTitle, capacity, "%s- DISABLED!!", enabledTitle);
}
