#include "keyprotect/keys/private_key_writing.h"

#include <climits>
#include <cstring>

#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_errors.h"
#include "keyprotect/openssl/openssl_pem.h"

namespace {

// The source/sink type flag with index 0.
constexpr int kDataWriterBioType = BIO_TYPE_SOURCE_SINK;

// The BIO owns nothing of the writer.
int DestroyDataWriterBio(BIO*) {
    return 1;
}

BIO_METHOD* BuildDataWriterBioMethod() {
    BIO_METHOD* method = BIO_meth_new(kDataWriterBioType, "data writer");
    if (method == nullptr || BIO_meth_set_write(method, DataWriterBioWrite) == 0 ||
        BIO_meth_set_puts(method, DataWriterBioPuts) == 0 ||
        BIO_meth_set_ctrl(method, DataWriterBioCtrl) == 0 ||
        BIO_meth_set_destroy(method, DestroyDataWriterBio) == 0) {
        BIO_meth_free(method);
        throw NewWritingBIOFailed();
    }
    return method;
}

// Built once and kept for the life of the process; a build that throws is tried again.
const BIO_METHOD* DataWriterBioMethod() {
    static const BIO_METHOD* const method = BuildDataWriterBioMethod();
    return method;
}

int WriteToDataWriter(BIO* bio, const char* data, std::size_t length) {
    try {
        DataWriter* writer = static_cast<DataWriter*>(BIO_get_data(bio));
        const auto* bytes = reinterpret_cast<const unsigned char*>(data);
        writer->Write(ByteRange(bytes, bytes + length));
        return static_cast<int>(length);
    } catch (...) {
        return -1;
    }
}

} // namespace

void WritePkcs8PrivateKey(BIO* bio, EVP_PKEY* key, const EVP_CIPHER* cipher,
                          UString<UTF8> password) {
    if (password.Length() > static_cast<std::uint64_t>(INT_MAX))
        throw WritePrivateKeyFailed();
    const int written = PEM_write_bio_PKCS8PrivateKey(
        bio, key, cipher, password.IsEmpty() ? nullptr : password.begin(),
        static_cast<int>(password.Length()), nullptr, nullptr);
    if (written != 1)
        throw WritePrivateKeyFailed();
}

BioHolder NewDataWriterBio(DataWriter* writer) {
    BioHolder bio = NewBio(DataWriterBioMethod());
    BIO_set_data(bio.Get(), writer);
    BIO_set_init(bio.Get(), 1);
    return bio;
}

int DataWriterBioWrite(BIO* bio, const char* data, int length) {
    if (length < 0)
        return -1;
    return WriteToDataWriter(bio, data, static_cast<std::size_t>(length));
}

int DataWriterBioPuts(BIO* bio, const char* text) {
    const std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(INT_MAX))
        return -1;
    return WriteToDataWriter(bio, text, length);
}

long DataWriterBioCtrl(BIO*, int command, long, void*) {
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}
