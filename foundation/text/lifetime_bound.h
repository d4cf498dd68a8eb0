// Marks a member function whose result points into its object, so that clang refuses a view or
// pointer that outlives a temporary it was taken from (-Wdangling). gcc does not know the
// attribute and would warn about it, so there it marks nothing.
#pragma once

#if defined(__has_cpp_attribute)
#if __has_cpp_attribute(clang::lifetimebound)
#define QUENDRA_LIFETIME_BOUND [[clang::lifetimebound]]
#endif
#endif
#ifndef QUENDRA_LIFETIME_BOUND
#define QUENDRA_LIFETIME_BOUND
#endif
