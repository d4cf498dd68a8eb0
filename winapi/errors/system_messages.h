// The English texts that FormatMessage serves for the codes the layer produces.
#pragma once

#include "winapi/base/types.h"

namespace win32_layer {

// The text for a code, ending in CR LF like a system message; null for a code without one.
const char* SystemMessageText(DWORD code);

} // namespace win32_layer
