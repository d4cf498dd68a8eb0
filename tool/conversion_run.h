// The tool's work: prove the site key, find the six keys, refuse to overwrite any of them, and
// convert each between its plain and its sealed form, ending with one message.
#pragma once

#include <cstdint>

// Returns the process exit code. What the run does not handle itself propagates.
std::uint32_t RunKeyConversion(bool console);
