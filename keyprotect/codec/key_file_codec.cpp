#include "keyprotect/codec/key_file_codec.h"

#include <utility>
#include <vector>

#include "foundation/streams/data_writer.h"
#include "foundation/streams/secure_bytes.h"
#include "foundation/text/ustring.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/keys/private_key_writing.h"
#include "platform/data_protection/data_protection.h"
#include "platform/files/open_file.h"
#include "platform/files/temporary_file.h"
#include "platform/security/security_attributes.h"
#include "winapi/win32.h"

namespace {

constexpr char kTemporaryPrefix[] = "TempSecurePrivateKey";
// Built before main and released at exit like every unit's statics; nothing reads it.
[[maybe_unused]] const CopiedUString<UTF8> driveText(UString<UTF8>("Z:"));

template <typename Allocator>
ByteRange RangeOf(const std::vector<unsigned char, Allocator>& bytes) {
    return ByteRange(bytes.data(), bytes.size());
}

// Straight into wiped memory of the file's size, so that no chunk of a plain key is left behind
// in a buffer on the way or in a vector outgrown.
SecureBytes ReadFileWiped(const FileLocation& input) {
    const WindowsPlatform::FileReadingPath file(input, false);
    SecureBytes bytes(static_cast<std::size_t>(file.Size()));
    FileReader(file, 0).ReadExactly(MutableByteRange(bytes.data(), bytes.size()));
    return bytes;
}

void FillTemporaryFile(const SecureBytes& pem, const FileLocation& temporary, bool encrypt) {
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
    SecureBytes bytes = ReadFileWiped(input);
    const SecureBytes text =
        decrypt ? UnprotectData(RangeOf(bytes), ByteRange(), nullptr, 0) : std::move(bytes);
    const BioHolder bio = NewMemoryBio(RangeOf(text));
    return ReadPrivateKey(bio.Get(), UString<UTF8>());
}

void WriteKeyFile(EVP_PKEY* key, const FileLocation& output, bool encrypt) {
    SecureBytes pem;
    SecureBytesAppender appender;
    appender.SetTarget(&pem);
    {
        const BioHolder bio = NewDataWriterBio(&appender);
        WritePkcs8PrivateKey(bio.Get(), key, nullptr, UString<UTF8>());
    }
    TemporaryFile temporary(output.Parent(), UString<UTF8>(kTemporaryPrefix));
    FillTemporaryFile(pem, temporary.Location(), encrypt);
    temporary.Commit(output);
}
