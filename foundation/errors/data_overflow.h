// The error of every writer into a fixed output range: the byte-stream filters, and the
// fixed-size text writers of the address and time-stamp texts. It sits below all of them so that
// none has to reach into another's folder for it.
#pragma once

#include "foundation/errors/debuggable_exception.h"

// An output range was full when a byte was due.
class DataOverflow : public DebuggableException {};
