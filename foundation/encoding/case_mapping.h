// Full Unicode lower-casing of UTF-8 text through ICU.
#pragma once

#include <unicode/ucasemap.h>

#include "foundation/text/ustring.h"

// One ICU case map, open for the holder's lifetime.
class IcuCaseMap {
public:
    explicit IcuCaseMap(const char* localeId);
    ~IcuCaseMap();
    IcuCaseMap(const IcuCaseMap&) = delete;
    IcuCaseMap& operator=(const IcuCaseMap&) = delete;

    // The result may be longer or shorter than the text; it is not NUL-terminated.
    CopiedUString<UTF8> ToLower(UString<UTF8> text) const;

private:
    UCaseMap* map_ = nullptr;
};

// Lower-cases with the root locale, so no language-specific rule (such as Turkish dotless i)
// applies.
CopiedUString<UTF8> LowerCaseUtf8(UString<UTF8> text);
