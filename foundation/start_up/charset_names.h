// The character-set names of the Windows ANSI code pages, in the order of the start-up group's
// array, and the ordered set that the group copies them into.
#pragma once

#include <array>
#include <set>

#include "foundation/text/text_ops.h"
#include "foundation/text/ustring.h"

inline constexpr std::array<const char*, 14> kWindowsCharsetNames = {
    "windows-1258", "windows-1257", "windows-1256", "windows-1255", "windows-1254",
    "windows-1253", "windows-1252", "windows-1251", "windows-1250", "windows-950",
    "windows-949",  "windows-936",  "windows-932",  "windows-874",
};

using CharsetNameSet = std::set<CopiedUString<UTF8>, CopiedUStringLess>;
