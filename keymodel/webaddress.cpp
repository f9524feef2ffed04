#include "webaddress.h"

#include "mappingfile.h"

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SchemeIs(const char* address, std::size_t length, const char* lowercase)
{
    for (std::size_t i = 0; i < length; ++i) {
        char c = address[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowercase[i])
            return false;
    }
    return lowercase[length] == '\0';
}

// Digits up to the end of the host part: what follows "host:" is its port.
bool IsPort(const char* at, std::size_t left)
{
    std::size_t n = 0;
    while (n < left && IsDigit(at[n]))
        ++n;
    return n > 0 && (n == left || at[n] == '\0' || at[n] == '/' || at[n] == '?' || at[n] == '#');
}

} // namespace

std::size_t AddressSchemeLength(const char* address)
{
    const std::size_t most = PayloadSize;
    if (!IsLetter(address[0]))
        return 0;
    std::size_t n = 1;
    while (n < most && (IsLetter(address[n]) || IsDigit(address[n]) || address[n] == '+' ||
                        address[n] == '-' || address[n] == '.'))
        ++n;
    if (n == most || address[n] != ':' || IsPort(address + n + 1, most - n - 1))
        return 0;
    return n;
}

bool IsWebAddress(const char* address)
{
    std::size_t scheme = AddressSchemeLength(address);
    if (!SchemeIs(address, scheme, "http") && !SchemeIs(address, scheme, "https"))
        return false;
    for (std::size_t i = scheme; i < static_cast<std::size_t>(PayloadSize) && address[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(address[i]);
        if (c <= ' ' || c == 0x7F || c == '"')
            return false;
    }
    return true;
}
