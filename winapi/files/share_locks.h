// What a handle's share-mode lock tells the calls on names about whether it shares delete.
#pragma once

#include <sys/types.h>

#include <limits>

namespace win32_layer {

// A handle that does not share delete locks the whole file; one that does stops short of this
// last byte, so that a move finds every holder in its way by asking about this byte alone.
inline constexpr off_t kDeleteShareByte = std::numeric_limits<off_t>::max();

} // namespace win32_layer
