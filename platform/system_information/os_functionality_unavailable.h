#pragma once

#include "foundation/errors/debuggable_exception.h"

// An optional Windows function is missing from this system.
class OSFunctionalityUnavailable : public DebuggableException {};
