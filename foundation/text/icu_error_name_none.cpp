#include "foundation/text/icu_error_name.h"

std::string IcuErrorName(std::int32_t code) {
    return "ICU status " + std::to_string(code);
}
