#pragma once

#include "winapi/errors/errors.h"
