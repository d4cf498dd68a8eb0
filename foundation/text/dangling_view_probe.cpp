// Must not compile with clang: the view outlives the temporary string it was taken from. The
// test dangling_view_is_refused builds it and expects clang's -Wdangling error.
#include "foundation/text/string_builder.h"

std::uint64_t DanglingViewLength(UString<UTF8> a, UString<UTF8> b) {
    UString<UTF8> v = Concatenate<UTF8>(a, b);
    return v.Length();
}
