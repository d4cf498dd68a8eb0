#include <unicode/utypes.h>

#include "foundation/encoding/icu_error_name.h"

std::string IcuErrorName(std::int32_t code) {
    return u_errorName(static_cast<UErrorCode>(code));
}
