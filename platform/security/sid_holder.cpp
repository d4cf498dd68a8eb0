#include "platform/security/sid_holder.h"

#include <memory>
#include <utility>

#include "foundation/encoding/windows_error.h"
#include "platform/security/security_errors.h"

namespace {

using CreateWellKnownSidFunction = decltype(&CreateWellKnownSid);

// Looked up at run time because Windows versions before Windows XP lack the function.
CreateWellKnownSidFunction FindCreateWellKnownSid() {
    HMODULE advapi = LoadLibraryW(WIDE("Advapi32.dll"));
    if (advapi == nullptr) {
        return nullptr;
    }
    // Through the signature-less function type, which converts to any other without a warning.
    return reinterpret_cast<CreateWellKnownSidFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(advapi, "CreateWellKnownSid")));
}

} // namespace

SidHolder::SidHolder(SidHolder&& other) noexcept
    : kind_(other.kind_), sid_(std::exchange(other.sid_, nullptr)) {}

SidHolder& SidHolder::operator=(SidHolder&& other) noexcept {
    if (this != &other) {
        Release();
        kind_ = other.kind_;
        sid_ = std::exchange(other.sid_, nullptr);
    }
    return *this;
}

void SidHolder::Release() noexcept {
    if (sid_ == nullptr) {
        return;
    }
    if (kind_ == kHeap) {
        delete[] static_cast<unsigned char*>(sid_);
    } else if (kind_ == kSystemAllocated) {
        FreeSid(sid_);
    }
    sid_ = nullptr;
}

SidHolder WellKnownSid(WELL_KNOWN_SID_TYPE type, PSID domain) {
    // The library stays loaded for the life of the process.
    static const CreateWellKnownSidFunction create = FindCreateWellKnownSid();
    if (create == nullptr) {
        throw OSFunctionalityUnavailable();
    }
    auto buffer = std::make_unique<unsigned char[]>(SECURITY_MAX_SID_SIZE);
    DWORD size = SECURITY_MAX_SID_SIZE;
    CheckWin32(create(type, domain, buffer.get(), &size));
    return SidHolder(SidHolder::kHeap, buffer.release());
}
