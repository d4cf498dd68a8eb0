#include "tool/process_boundary.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

// Text mode would turn each line feed into two bytes.
void PrepareStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
}

int ProcessExitCode(std::uint32_t code) {
    return static_cast<int>(code);
}
