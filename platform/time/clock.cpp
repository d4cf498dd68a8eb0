#include "platform/time/clock.h"

#include <cstdint>

#include "winapi/win32.h"

namespace {

struct CounterScale {
    std::int64_t frequency = 0;
    std::int32_t multiplier = 1'000'000;

    // Scaled down together so that multiplier × count stays far from overflowing.
    CounterScale() {
        LARGE_INTEGER reading;
        QueryPerformanceFrequency(&reading);
        frequency = reading.QuadPart;
        while (multiplier > 1 && frequency > 10'000) {
            multiplier /= 10;
            frequency /= 10;
        }
    }
};

std::int64_t MonotonicMicroseconds() {
    static const CounterScale scale;
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    const std::int64_t ticks =
        scale.multiplier == 1 ? count.QuadPart : scale.multiplier * count.QuadPart;
    return ticks / scale.frequency;
}

} // namespace

// Kept for inspection in a debugger: when the process started on the monotonic clock.
extern const std::int64_t StartupMicroseconds;
const std::int64_t StartupMicroseconds = MonotonicMicroseconds();

TimePoint CurrentTime() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    const DateTime reading(Date{static_cast<std::uint8_t>(now.wDay), now.wMonth, now.wYear},
                           TimeOfDay{static_cast<std::uint8_t>(now.wHour),
                                     static_cast<std::uint8_t>(now.wMinute),
                                     static_cast<std::uint8_t>(now.wSecond)},
                           UtcOffset{});
    return reading.ToTimePoint();
}
