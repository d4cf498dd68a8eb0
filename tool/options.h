// The command-line options: lower-cased names mapped to the values exactly as typed.
#pragma once

#include <map>

#include "foundation/text/text_ops.h"
#include "foundation/text/ustring.h"

class OptionMap {
public:
    using Entries = std::map<CopiedUString<UTF8>, CopiedUString<UTF8>, CopiedUStringLess>;

    // Reads arguments 1 to count - 1; the program path is never looked at. Arguments not
    // starting with "/" are ignored, and a later option replaces an earlier one of the same name.
    void Parse(int count, const char* const* arguments);

    // Names are matched exactly, without lower-casing.
    bool Has(UString<UTF8> name) const;
    CopiedUString<UTF8> Get(UString<UTF8> name, UString<UTF8> fallback) const;

    const Entries& AllEntries() const { return entries_; }

private:
    void ParseArgument(UString<UTF8> argument);

    Entries entries_;
};

// The process-wide map: filled once by program entry, only read afterwards, so it has no lock.
void ParseCommandLine(int count, char** arguments);
bool HasOption(UString<UTF8> name);
CopiedUString<UTF8> GetOption(UString<UTF8> name, UString<UTF8> fallback);
