// A text followed in memory by separators, so that code reading past its end changes its answer
// instead of passing unnoticed.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/text/ustring.h"

class GuardedText {
public:
    explicit GuardedText(const std::string& text) : buffer_(text + "\\/x"), length_(text.size()) {}
    UString<UTF8> View() const { return UString<UTF8>(buffer_.data(), buffer_.data() + length_); }

private:
    std::string buffer_;
    std::size_t length_;
};
