#include "keyprotect/keys/ansi_password.h"

#include <openssl/crypto.h>

#include <cstring>

#include "foundation/encoding/code_pages.h"

namespace {

// Wipes the text's whole buffer, inline or on the heap, when it ends.
template <typename T>
struct WipedText {
    CopiedUString<T> text;
    ~WipedText() { OPENSSL_cleanse(text.begin(), text.Capacity() * sizeof(CodeUnit<T>)); }
};

} // namespace

AnsiPassword::AnsiPassword(UString<UTF8> password) {
    const WipedText<UTF16> wide{Utf8ToWide(password)};
    const WipedText<UTF8> ansi{WideToAnsi(wide.text.View())};
    length_ = ansi.text.Length();
    bytes_ = std::make_unique<char[]>(length_);
    if (length_ > 0)
        std::memcpy(bytes_.get(), ansi.text.begin(), length_);
}

AnsiPassword::~AnsiPassword() {
    OPENSSL_cleanse(bytes_.get(), length_);
}
