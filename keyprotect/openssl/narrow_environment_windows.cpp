#include <stdlib.h>

#include "keyprotect/openssl/narrow_environment.h"

char** NarrowEnvironment() {
    return _environ;
}
