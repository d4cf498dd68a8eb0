// Encoding tags that parametrise every text type.
#pragma once

#include "winapi/base/win32_types.h"

struct UTF8 {
    using Unit = char;
};
struct UTF16 {
    using Unit = WCHAR;
};

template <typename T>
using CodeUnit = typename T::Unit;
