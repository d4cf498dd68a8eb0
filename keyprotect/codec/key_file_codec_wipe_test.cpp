// Every C++ heap block freed while the codec converts a key, searched as it goes: none still
// holds the key's text. The heap's operators are replaced, which is why this is a process of its
// own.
#include <malloc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "keyprotect/codec/key_file_codec.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "keyprotect/testing/generated_keys_for_test.h"
#include "platform/files/temporary_files_for_test.h"
#include "winapi/data_protection/machine_key_for_test.h"

namespace {

std::atomic<const std::string*> soughtText{nullptr};
std::atomic<int> blocksSearched{0};
std::atomic<int> blocksHoldingText{0};

void SearchFreedBlock(void* block) {
    const std::string* sought = soughtText;
    if (sought == nullptr || block == nullptr)
        return;
    const std::string_view held(static_cast<const char*>(block), malloc_usable_size(block));
    ++blocksSearched;
    if (held.find(*sought) != std::string_view::npos)
        ++blocksHoldingText;
}

} // namespace

// Every form that is not aligned, so that none is left to a sanitizer's own heap, whose blocks
// these deletes could not free.
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void* operator new(std::size_t bytes) {
    if (void* block = operator new(bytes, std::nothrow))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t bytes) {
    return operator new(bytes);
}

void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return operator new(bytes, std::nothrow);
}

void operator delete(void* block) noexcept {
    SearchFreedBlock(block);
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    operator delete(block);
}

void operator delete[](void* block) noexcept {
    operator delete(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    operator delete(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    operator delete(block);
}

namespace {

class KeyFileCodecWipeTest : public TestDirectory {
protected:
    void SetUp() override {
        TestDirectory::SetUp();
        InitializeOpenSSL(false);
    }

    // Runs `step` with every freed block searched for the key's first line of base64.
    template <typename Step>
    void SearchFreedBlocks(const std::string& pem, Step step) {
        const std::size_t begin = pem.find('\n') + 1;
        const std::string line = pem.substr(begin, pem.find('\n', begin) - begin);
        blocksSearched = 0;
        blocksHoldingText = 0;
        soughtText = &line;
        step();
        soughtText = nullptr;
        EXPECT_GT(blocksSearched, 0) << "nothing was freed: the search saw nothing";
        EXPECT_EQ(blocksHoldingText, 0) << "freed blocks still held the key's text";
    }

    TestMachineKey machineKey_;
};

TEST_F(KeyFileCodecWipeTest, NoFreedBlockHoldsTheKeyOnEitherWayInEitherForm) {
    const PrivateKeyHolder key = GenerateRsaKey();
    const std::string pem = Pkcs8PemOf(key.Get());
    for (const bool sealed : {false, true}) {
        SCOPED_TRACE(sealed ? "sealed" : "plain");
        SearchFreedBlocks(pem, [&] { WriteKeyFile(key.Get(), At("Key"), sealed); });
        SearchFreedBlocks(pem, [&] { ReadKeyFile(At("Key"), sealed); });
        std::filesystem::remove(Native("Key"));
    }
}

} // namespace
