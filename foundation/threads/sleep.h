#pragma once

#include <cstdint>

void SleepMilliseconds(std::uint32_t milliseconds);
