// The errors of Format, raised while a template is validated and before anything is rendered.
#pragma once

#include "foundation/errors/debuggable_exception.h"

// A "{" with no later "}".
class BadFormatStringError : public DebuggableException {};
// More argument placeholders than arguments.
class TooManyFormatArguments : public DebuggableException {};
// Arguments left over after every placeholder is bound.
class TooFewFormatArguments : public DebuggableException {};
// An empty name, or a byte after the first outside [0-9A-Za-z_].
class ImproperFormatVariableName : public DebuggableException {};
// A "_" name that is not built in, or a name without a bound value.
class UndefinedFormatVariable : public DebuggableException {};
