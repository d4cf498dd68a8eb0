// Seeing what a local block holds as it is freed, so that a test can tell whether its owner wiped
// it. The Linux layer only.
#pragma once

#if defined(_WIN32)
#error "the free observer exists only in the Linux layer"
#endif

#include <cstddef>

namespace win32_layer {

// Called by LocalFree just before the block goes, with at least the bytes that were asked for.
using LocalFreeObserver = void (*)(const unsigned char* block, std::size_t bytes);
// Null stops the observation.
void ObserveLocalFree(LocalFreeObserver observer);

} // namespace win32_layer
