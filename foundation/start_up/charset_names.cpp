// The character-set name group. Its objects are built in the order of their definitions and
// freed at exit in the reverse order.
#include "foundation/start_up/charset_names.h"

#include <string>

#include "foundation/numbers/const_data.h"

namespace {

using NameArray = std::array<CopiedUString<UTF8>, kWindowsCharsetNames.size()>;

NameArray NamesFromTexts() {
    NameArray names;
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i].Assign(UString<UTF8>(kWindowsCharsetNames[i]));
    return names;
}

const NameArray charsetNames = NamesFromTexts();
const CharsetNameSet charsetNameSet(charsetNames.begin(), charsetNames.end());

const std::string asciiName = "US-ASCII";
const ConstData<8> asciiNameData(UString<UTF8>("US-ASCII"));
const std::string asciiAliasName = "US-ASCII";
const ConstData<8> asciiAliasNameData(UString<UTF8>("US-ASCII"));
const std::string utf8Name = "UTF-8";
const ConstData<8> utf8NameData(UString<UTF8>("UTF-8"));

} // namespace
