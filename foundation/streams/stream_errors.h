// The errors of the byte-stream family.
#pragma once

#include "foundation/errors/data_overflow.h"
#include "foundation/errors/debuggable_exception.h"

// A reader ran out of bytes before the range was full.
class NoMoreData : public DebuggableException {};
