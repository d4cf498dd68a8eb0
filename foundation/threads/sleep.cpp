#include "foundation/threads/sleep.h"

#include "winapi/win32.h"

void SleepMilliseconds(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}
