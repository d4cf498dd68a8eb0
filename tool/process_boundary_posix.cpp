#include "tool/process_boundary.h"

#include "tool/exit_codes.h"

void PrepareStandardOutput() {}

// The parent sees the low byte only; a failure whose low byte is 0 would read as success.
int ProcessExitCode(std::uint32_t code) {
    const std::uint32_t lowByte = code & 0xFF;
    return static_cast<int>(code != 0 && lowByte == 0 ? kUncodedFailureExitCode : lowByte);
}
