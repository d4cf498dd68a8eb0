// The exception being handled, in words for the user.
#pragma once

#include "foundation/text/ustring.h"

// Only inside a handler. A Windows error's text loses the NUL that ends its message range, so
// that neither the console line, the log nor the box carries it.
CopiedUString<UTF8> DescribeCurrentException();
