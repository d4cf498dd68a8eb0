#include "platform/data_protection/data_protection.h"

#include "foundation/encoding/local_buffer.h"
#include "foundation/encoding/windows_error.h"

namespace {

// An empty entropy goes as {0, null}; it is always passed, never left out.
DATA_BLOB BlobOf(ByteRange range) {
    if (range.IsEmpty())
        return {0, nullptr};
    if (range.Length() > 0xFFFFFFFF)
        ThrowWindowsError(ERROR_INVALID_PARAMETER);
    return {static_cast<DWORD>(range.Length()), const_cast<BYTE*>(range.begin())};
}

// Windows refuses data without a pointer even for no bytes, and an empty vector has none, so
// empty data points at a byte of its own.
DATA_BLOB InputOf(ByteRange range) {
    static BYTE none = 0;
    DATA_BLOB blob = BlobOf(range);
    if (blob.pbData == nullptr)
        blob.pbData = &none;
    return blob;
}

// The output block, freed on every path; wiped first when it held unsealed data.
class OutputBlob {
public:
    explicit OutputBlob(bool wipe) : wipe_(wipe) {}
    OutputBlob(const OutputBlob&) = delete;
    OutputBlob& operator=(const OutputBlob&) = delete;
    ~OutputBlob() {
        if (wipe_ && blob.pbData != nullptr)
            SecureZeroMemory(blob.pbData, blob.cbData);
        FreeLocalBuffer(blob.pbData);
    }

    template <typename Vector>
    Vector Copy() const {
        if (blob.cbData == 0)
            return {};
        return Vector(blob.pbData, blob.pbData + blob.cbData);
    }

    DATA_BLOB blob{0, nullptr};

private:
    bool wipe_;
};

} // namespace

std::vector<unsigned char> ProtectData(ByteRange data, const WCHAR* description, ByteRange entropy,
                                       CRYPTPROTECT_PROMPTSTRUCT* prompt, std::uint32_t flags) {
    DATA_BLOB input = InputOf(data);
    DATA_BLOB extra = BlobOf(entropy);
    OutputBlob output(false);
    CheckWin32(CryptProtectData(&input, description, &extra, nullptr, prompt, flags, &output.blob));
    return output.Copy<std::vector<unsigned char>>();
}

SecureBytes UnprotectData(ByteRange data, ByteRange entropy, CRYPTPROTECT_PROMPTSTRUCT* prompt,
                          std::uint32_t flags) {
    DATA_BLOB input = InputOf(data);
    DATA_BLOB extra = BlobOf(entropy);
    OutputBlob output(true);
    LPWSTR description = nullptr;
    const BOOL unsealed =
        CryptUnprotectData(&input, &description, &extra, nullptr, prompt, flags, &output.blob);
    // Only a success hands a description out, so freeing it leaves a failure's code alone.
    if (description != nullptr)
        LocalFree(description);
    CheckWin32(unsealed);
    return output.Copy<SecureBytes>();
}
