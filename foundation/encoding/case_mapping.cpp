#include "foundation/encoding/case_mapping.h"

#include <limits>

#include "foundation/encoding/charset_errors.h"

IcuCaseMap::IcuCaseMap(const char* localeId) {
    UErrorCode status = U_ZERO_ERROR;
    map_ = ucasemap_open(localeId, 0, &status);
    if (U_FAILURE(status)) {
        ucasemap_close(map_);
        throw ICUResult("ucasemap_open", status);
    }
}

IcuCaseMap::~IcuCaseMap() {
    if (map_ != nullptr)
        ucasemap_close(map_);
}

CopiedUString<UTF8> IcuCaseMap::ToLower(UString<UTF8> text) const {
    if (text.IsEmpty())
        return CopiedUString<UTF8>();
    // ICU counts in 32 bits; a longer text would be cut short silently.
    if (text.Length() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw ICUResult("ucasemap_utf8ToLower", U_ILLEGAL_ARGUMENT_ERROR);
    const auto length = static_cast<std::int32_t>(text.Length());
    CopiedUString<UTF8> result = CopiedUString<UTF8>::WithCapacity(text.Length());
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t written =
        ucasemap_utf8ToLower(map_, result.begin(), static_cast<std::int32_t>(result.Capacity()),
                             text.begin(), length, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result = CopiedUString<UTF8>::WithCapacity(static_cast<std::uint64_t>(written));
        status = U_ZERO_ERROR;
        written =
            ucasemap_utf8ToLower(map_, result.begin(), static_cast<std::int32_t>(result.Capacity()),
                                 text.begin(), length, &status);
    }
    // A warning, such as a result that fills the buffer with no room for a terminator, is fine.
    if (U_FAILURE(status))
        throw ICUResult("ucasemap_utf8ToLower", status);
    result.SetEnd(result.begin() + written);
    return result;
}

CopiedUString<UTF8> LowerCaseUtf8(UString<UTF8> text) {
    if (text.IsEmpty())
        return CopiedUString<UTF8>();
    return IcuCaseMap("").ToLower(text);
}
