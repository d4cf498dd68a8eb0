#include <unistd.h>

#include "keyprotect/openssl/narrow_environment.h"

char** NarrowEnvironment() {
    return environ;
}
