#include "winapi/internal/fault_injection.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

#include "winapi/errors/errors.h"

namespace win32_layer {

namespace {

struct Armed {
    bool armed = false;
    DWORD code = 0;
    unsigned remaining = 0;
};

std::mutex mutex;
// Read and write ask on every call, so an unarmed switch costs them no lock.
std::atomic<bool> anyArmed{false};
Armed armed[static_cast<std::size_t>(LayerCall::Count)];
bool shortWriteArmed = false;
DWORD shortWriteLimit = 0;

constexpr std::string_view kCallNames[] = {
    "CreateFileW",
    "ReadFile",
    "WriteFile",
    "MoveFileExW",
    "DeleteFileW",
    "GetTempFileNameW",
    "CreateDirectoryW",
    "GetNamedSecurityInfoW",
    "SetNamedSecurityInfoW",
    "CryptProtectData",
    "CryptUnprotectData",
    "GetTimeZoneInformation",
    "WSAStartup",
};
static_assert(std::size(kCallNames) == static_cast<std::size_t>(LayerCall::Count));

// One "Call:code[:after]" entry; a malformed one is ignored, as a test would then fail visibly.
void ArmEntry(std::string_view entry) {
    const std::size_t nameEnd = entry.find(':');
    if (nameEnd == std::string_view::npos) {
        return;
    }
    const std::string numbers(entry.substr(nameEnd + 1));
    char* end = nullptr;
    const unsigned long code = std::strtoul(numbers.c_str(), &end, 0);
    unsigned long afterCount = 0;
    if (*end == ':') {
        afterCount = std::strtoul(end + 1, &end, 10);
    }
    if (*end != '\0' || end == numbers.c_str()) {
        return;
    }
    for (std::size_t call = 0; call < std::size(kCallNames); ++call) {
        if (kCallNames[call] == entry.substr(0, nameEnd)) {
            armed[call] = {true, static_cast<DWORD>(code), static_cast<unsigned>(afterCount)};
            anyArmed = true;
        }
    }
}

// QUENDRA_LAYER_FAIL="Call:code[:after],..." arms the switch for a whole process, so that a test
// can make a program fail where it cannot reach the program's code.
bool ArmFromEnvironment() {
    const char* setting = std::getenv("QUENDRA_LAYER_FAIL");
    if (setting == nullptr) {
        return false;
    }
    const std::lock_guard lock(mutex);
    std::string_view rest(setting);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        ArmEntry(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return true;
}

void ArmFromEnvironmentOnce() {
    [[maybe_unused]] static const bool armedFromEnvironment = ArmFromEnvironment();
}

} // namespace

void FailNextCall(LayerCall call, DWORD code, unsigned afterCount) {
    const std::lock_guard lock(mutex);
    armed[static_cast<std::size_t>(call)] = {true, code, afterCount};
    anyArmed = true;
}

void ShortenNextWrite(DWORD limit) {
    const std::lock_guard lock(mutex);
    shortWriteArmed = true;
    shortWriteLimit = limit;
    anyArmed = true;
}

void ClearInjectedFailures() {
    const std::lock_guard lock(mutex);
    for (Armed& entry : armed) {
        entry = {};
    }
    shortWriteArmed = false;
    anyArmed = false;
}

bool InjectedFailure(LayerCall call) {
    ArmFromEnvironmentOnce();
    if (!anyArmed) {
        return false;
    }
    const std::lock_guard lock(mutex);
    Armed& entry = armed[static_cast<std::size_t>(call)];
    if (!entry.armed) {
        return false;
    }
    if (entry.remaining > 0) {
        --entry.remaining;
        return false;
    }
    entry.armed = false;
    SetLastError(entry.code);
    return true;
}

DWORD InjectedWriteLimit(DWORD requested) {
    ArmFromEnvironmentOnce();
    if (!anyArmed) {
        return requested;
    }
    const std::lock_guard lock(mutex);
    if (!shortWriteArmed) {
        return requested;
    }
    shortWriteArmed = false;
    return requested < shortWriteLimit ? requested : shortWriteLimit;
}

} // namespace win32_layer
