#include "platform/system_information/wow64_redirection.h"

#include "winapi/win32.h"

namespace {

using RedirectionCall = BOOL (*)(void**);
using RevertCall = BOOL (*)(void*);

// Loaded once and never freed, so that the functions found in it stay valid.
HMODULE Kernel32() {
    static const HMODULE module = LoadLibraryW(WIDE("Kernel32.dll"));
    return module;
}

template <typename Call>
Call Lookup(const char* name) {
    const HMODULE module = Kernel32();
    if (module == nullptr)
        return nullptr;
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

Wow64FsRedirectionGuard::Wow64FsRedirectionGuard(bool switchOff) {
    if (!switchOff)
        return;
    static const RedirectionCall disable =
        Lookup<RedirectionCall>("Wow64DisableWow64FsRedirection");
    // After a refusal the old value means nothing, so there is nothing to revert.
    if (disable != nullptr)
        active_ = disable(&oldValue_) != FALSE;
}

void Wow64FsRedirectionGuard::Revert() noexcept {
    if (!active_)
        return;
    active_ = false;
    static const RevertCall revert = Lookup<RevertCall>("Wow64RevertWow64FsRedirection");
    if (revert != nullptr)
        revert(oldValue_);
}
