// The C runtime's narrow environment array, in the ANSI code page: NUL-terminated "NAME=value"
// entries up to a null entry. The runtime spells it differently on each target.
#pragma once

// Null when the runtime has built none.
char** NarrowEnvironment();
