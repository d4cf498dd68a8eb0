// Whether the system can make an IPv6 socket. Apart from the layer's socket header, whose names
// the C library's socket headers define as macros with their Linux values.
#pragma once

namespace win32_layer {

bool CanMakeIpv6Socket();

} // namespace win32_layer
