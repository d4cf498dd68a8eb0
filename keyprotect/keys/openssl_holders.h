// Owners of an OpenSSL key and of a BIO, which free them on every way out of a scope.
#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>

#include <utility>

// Both ignore null.
void FreePrivateKey(EVP_PKEY* key) noexcept;
void FreeBio(BIO* bio) noexcept;

template <typename T, void (*Free)(T*) noexcept>
class OpenSSLHolder {
public:
    explicit OpenSSLHolder(T* owned = nullptr) : owned_(owned) {}
    OpenSSLHolder(OpenSSLHolder&& other) noexcept : owned_(other.Release()) {}
    OpenSSLHolder& operator=(OpenSSLHolder&& other) noexcept {
        if (&other != this) {
            Free(owned_);
            owned_ = other.Release();
        }
        return *this;
    }
    OpenSSLHolder(const OpenSSLHolder&) = delete;
    OpenSSLHolder& operator=(const OpenSSLHolder&) = delete;
    ~OpenSSLHolder() { Free(owned_); }

    T* Get() const { return owned_; }
    // Hands ownership to the caller.
    T* Release() noexcept { return std::exchange(owned_, nullptr); }

private:
    T* owned_;
};

using PrivateKeyHolder = OpenSSLHolder<EVP_PKEY, FreePrivateKey>;
using BioHolder = OpenSSLHolder<BIO, FreeBio>;
