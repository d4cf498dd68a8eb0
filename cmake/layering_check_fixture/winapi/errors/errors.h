#pragma once

#include "winapi/base/types.h"
