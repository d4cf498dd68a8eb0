#include "winapi/system_information/wide_numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <climits>
#include <string>

namespace {

bool IsCSpace(WCHAR unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

const WCHAR* SkipSpace(const WCHAR* text) {
    while (IsCSpace(*text)) {
        ++text;
    }
    return text;
}

// The one "C" locale, so that a decimal point is '.' whatever the process's locale says.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

int _wtoi(const WCHAR* text) {
    const WCHAR* at = SkipSpace(text);
    const bool negative = *at == u'-';
    if (*at == u'-' || *at == u'+') {
        ++at;
    }
    long long value = 0;
    for (; *at >= u'0' && *at <= u'9'; ++at) {
        if (value <= INT_MAX) {
            value = value * 10 + (*at - u'0');
        }
    }
    if (negative) {
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double wcstod(const WCHAR* text, WCHAR** end) {
    const WCHAR* start = SkipSpace(text);
    // Only ASCII can continue a number, so the first other unit ends the narrow copy.
    std::string narrow;
    for (const WCHAR* at = start; *at != 0 && *at < 0x80; ++at) {
        narrow += static_cast<char>(*at);
    }
    char* narrowEnd = nullptr;
    const double value = strtod_l(narrow.c_str(), &narrowEnd, CLocale());
    const std::size_t used = static_cast<std::size_t>(narrowEnd - narrow.c_str());
    if (end != nullptr) {
        *end = const_cast<WCHAR*>(used == 0 ? text : start + used);
    }
    return value;
}
