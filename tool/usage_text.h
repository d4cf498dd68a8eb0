// The usage shown when the command line is incomplete.
#pragma once

#include <array>

#include "foundation/text/ustring.h"

// Written as two console lines, each followed by a line end.
extern const std::array<UString<UTF8>, 2> ConsoleUsageText;

// For the message box; it holds {_obrace} and {_cbrace}, so it must go through Format (with no
// arguments) and never be shown raw.
extern const UString<UTF8> BoxUsageTemplate;
