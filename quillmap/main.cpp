// quillmap: the key combinations of "mapping.mp" as text, to read, back up,
// share, check and restore.
#include <cstdio>

#include "commands.h"
#include "keynames.h"

int main(int argc, char** argv)
{
    InitKeyNames();
    return RunQuillmap(argc, argv, stdin, stdout, stderr);
}
