// The errors of the byte-stream family.
#pragma once

#include "foundation/errors/debuggable_exception.h"

// An output range was full when a byte was due.
class DataOverflow : public DebuggableException {};
// A reader ran out of bytes before the range was full.
class NoMoreData : public DebuggableException {};
