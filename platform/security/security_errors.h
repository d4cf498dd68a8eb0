// The data-less errors of the security services.
#pragma once

#include "foundation/errors/debuggable_exception.h"

// The running Windows lacks a function the system looks up at run time.
class OSFunctionalityUnavailable : public DebuggableException {};

namespace Windows {
// A security call reported success yet handed back no descriptor.
class NullSecurityDescriptor : public DebuggableException {};
} // namespace Windows
