// A password in the process's ANSI code page, for OpenSSL's pass-phrase callback. The buffers
// that held it on the way and its own are wiped before they are released.
#pragma once

#include <cstddef>
#include <memory>

#include "foundation/text/ustring.h"

class AnsiPassword {
public:
    // Raises the conversion errors of the code-page converters.
    explicit AnsiPassword(UString<UTF8> password);
    AnsiPassword(const AnsiPassword&) = delete;
    AnsiPassword& operator=(const AnsiPassword&) = delete;
    ~AnsiPassword();

    UString<UTF8> View() const { return UString<UTF8>(bytes_.get(), bytes_.get() + length_); }

private:
    std::size_t length_ = 0;
    std::unique_ptr<char[]> bytes_;
};
