// The addresses that "Go to URL:" opens: web pages only, so that a shared
// mapping file cannot start a program through an "address". The chooser,
// quillmap and the library all ask these two functions.
#pragma once

#include <cstddef>

// Length of the scheme that an address starts with (5 for "https://x"); 0
// when it has none of its own: "localhost:8080/x" and "example.test:8080"
// are a host and its port. Reads at most a payload's 3000 bytes.
std::size_t AddressSchemeLength(const char* address);

// True for an http or https address (the scheme in any case) with no blank,
// control character or double quote in it: the shell hands the address to the
// browser on a command line, where those would end it or start another
// argument. Reads at most a payload's 3000 bytes.
bool IsWebAddress(const char* address);
