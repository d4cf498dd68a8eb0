// The tool's work: prove the site key, find the six keys, refuse to overwrite any of them, and
// convert each between its plain and its sealed form, ending with one message.
#pragma once

#include <array>
#include <cstdint>

#include "foundation/text/ustring.h"

// The keys looked for, and no other files.
extern const std::array<UString<UTF8>, 6> KeyNameTable;

// The exit code of the failure that a run ends with when the failing step left no error code, so
// that no failure ever reads as success.
inline constexpr std::uint32_t kUncodedFailureExitCode = 31;

// Returns the process exit code. What the run does not handle itself propagates.
std::uint32_t RunKeyConversion(bool console);
