// Where the process meets its surroundings differently on each target: the bytes of standard
// output and the width of an exit code.
#pragma once

#include <cstdint>

// Standard output carries the message bytes as they are, line feeds included.
void PrepareStandardOutput();

// The value for main to return so that the parent sees `code`, or, where the target cannot hold
// it, a code that never reads as success.
int ProcessExitCode(std::uint32_t code);
