#pragma once

// Switches Wow64 file-system redirection off for a scope, where the system has it. On a system
// without the two functions it changes nothing.
class Wow64FsRedirectionGuard {
public:
    explicit Wow64FsRedirectionGuard(bool switchOff);
    Wow64FsRedirectionGuard(const Wow64FsRedirectionGuard&) = delete;
    Wow64FsRedirectionGuard& operator=(const Wow64FsRedirectionGuard&) = delete;
    ~Wow64FsRedirectionGuard() { Revert(); }

    // Restores redirection early; the destructor then does nothing.
    void Revert() noexcept;

private:
    void* oldValue_ = nullptr;
    bool active_ = false;
};
