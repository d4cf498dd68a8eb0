// The symbolic name of an ICU status code, for the error texts. The Windows target has no ICU
// and names the number instead.
#pragma once

#include <cstdint>
#include <string>

std::string IcuErrorName(std::int32_t code);
