#pragma once

#include "winapi/posix/types.h"

BOOL CloseHandle(HANDLE handle);
