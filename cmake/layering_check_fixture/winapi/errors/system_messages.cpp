#include "winapi/data_protection/data_protection.h"
#include "winapi/errors/errors.h"
