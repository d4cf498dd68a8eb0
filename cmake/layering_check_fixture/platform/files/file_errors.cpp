#include "winapi/errors/errors.h"
#include "winapi/win32.h"
