#include "tool/process_boundary.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

// Text mode would turn each line feed into two bytes.
void PrepareStandardOutput() {
    // A process started without standard handles has no descriptor to set.
    if (const int descriptor = _fileno(stdout); descriptor >= 0) {
        _setmode(descriptor, _O_BINARY);
    }
}

int ProcessExitCode(std::uint32_t code) {
    return static_cast<int>(code);
}
