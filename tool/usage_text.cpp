#include "tool/usage_text.h"

constexpr std::array<UString<UTF8>, 2> ConsoleUsageText{
    "Usage: ",
    "   /sitePvkLocation:<absolute_path> /sitePvkPassword:<password> { /decrypt | /encrypt } "
    "/dirIn:<absolute_path> /dirOut:<absolute_path> [ /hideUI ] ",
};

constexpr UString<UTF8> BoxUsageTemplate =
    "Usage: \n/sitePvkLocation:<absolute_path> /sitePvkPassword:<password> {_obrace} /decrypt | "
    "/encrypt {_cbrace} /dirIn:<absolute_path> /dirOut:<absolute_path> [ /hideUI ]\n";
