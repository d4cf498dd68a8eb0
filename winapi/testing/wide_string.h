// Text in the target's WCHAR units: char16_t on the layer, wchar_t in the SDK.
#pragma once

#include <string>
#include <string_view>

#include "winapi/win32.h"

using WideString = std::basic_string<WCHAR>;
using WideView = std::basic_string_view<WCHAR>;
