// The tool's own exit codes. Every other code is the error code of the step that failed.
#pragma once

#include <cstdint>

// An incomplete command line, or a site key or directory that the run refuses.
inline constexpr std::uint32_t kRefusedExitCode = 13;

// A failure whose step left no error code, so that no failure ever reads as success.
inline constexpr std::uint32_t kUncodedFailureExitCode = 31;

// Inside a handler: the code of the failing call as the error carries it, since unwinding may
// clear the thread's last error (it does on the Windows build); otherwise the last error as the
// handler found it; kUncodedFailureExitCode for none.
std::uint32_t CurrentFailureExitCode();
