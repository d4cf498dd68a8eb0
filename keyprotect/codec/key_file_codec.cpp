#include "keyprotect/codec/key_file_codec.h"

#include <utility>
#include <vector>

#include "foundation/streams/data_writer.h"
#include "foundation/text/ustring.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/keys/private_key_writing.h"
#include "platform/data_protection/data_protection.h"
#include "platform/files/file_system.h"
#include "platform/files/open_file.h"
#include "platform/security/security_attributes.h"
#include "winapi/win32.h"

namespace {

constexpr char kTemporaryPrefix[] = "TempSecurePrivateKey";
// Built before main and released at exit like every unit's statics; nothing reads it.
[[maybe_unused]] const CopiedUString<UTF8> driveText(UString<UTF8>("Z:"));

ByteRange RangeOf(const std::vector<unsigned char>& bytes) {
    return ByteRange(bytes.data(), bytes.size());
}

// Best effort, and invisible to the failure being reported: the caller's last error survives.
void RemoveTemporaryFile(const FileLocation& temporary) noexcept {
    const DWORD error = GetLastError();
    try {
        const CopiedUString<UTF16> name = LongPathForm(temporary.Text(), kFilePathLimit);
        SetFileAttributesW(name.begin(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(name.begin());
    } catch (...) {
        // The file stays; the original failure matters more.
    }
    SetLastError(error);
}

void FillTemporaryFile(const std::vector<unsigned char>& pem, const FileLocation& temporary,
                       bool encrypt) {
    const Windows::SecurityAttributes security(0, 0);
    security.ApplyTo(temporary, false);
    if (encrypt) {
        const std::vector<unsigned char> blob =
            ProtectData(RangeOf(pem), WIDE(""), ByteRange(), nullptr, CRYPTPROTECT_LOCAL_MACHINE);
        WriteWholeFile(RangeOf(blob), temporary);
    } else {
        WriteWholeFile(RangeOf(pem), temporary);
    }
}

} // namespace

PrivateKeyHolder ReadKeyFile(const FileLocation& input, bool decrypt) {
    std::vector<unsigned char> bytes;
    VectorAppender appender;
    appender.SetTarget(&bytes);
    ReadWholeFile(input, appender, 0, nullptr);
    const std::vector<unsigned char> text =
        decrypt ? UnprotectData(RangeOf(bytes), ByteRange(), nullptr, 0) : std::move(bytes);
    const BioHolder bio = NewMemoryBio(RangeOf(text));
    return ReadPrivateKey(bio.Get(), UString<UTF8>());
}

void WriteKeyFile(EVP_PKEY* key, const FileLocation& output, bool encrypt) {
    std::vector<unsigned char> pem;
    VectorAppender appender;
    appender.SetTarget(&pem);
    {
        const BioHolder bio = NewDataWriterBio(&appender);
        WritePkcs8PrivateKey(bio.Get(), key, nullptr, UString<UTF8>());
    }
    const FileLocation directory = output.Parent();
    const FileLocation temporary = CreateTempFile(directory, UString<UTF8>(kTemporaryPrefix));
    try {
        FillTemporaryFile(pem, temporary, encrypt);
        temporary.MoveReplacing(output);
    } catch (...) {
        RemoveTemporaryFile(temporary);
        throw;
    }
}
