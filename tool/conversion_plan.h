// Which keys a run converts, and in what order: everything is looked at before any key is touched.
#pragma once

#include <array>
#include <map>
#include <vector>

#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"

// The keys looked for, and no other files.
extern const std::array<UString<UTF8>, 6> KeyNameTable;

struct PathTextLess {
    bool operator()(const FileLocation& x, const FileLocation& y) const;
};

struct ConversionPlan {
    // Input to output, converted in the case-insensitive order of the inputs' paths; empty when
    // any output is in the way, so that a conflict converts nothing at all.
    std::map<FileLocation, FileLocation, PathTextLess> conversions;
    // The output file names already present, as files or directories, in table order.
    std::vector<CopiedUString<UTF8>> existingOutputs;
};

// Looks for each key's input in `dirIn` and, for an input found, its output in `dirOut`, logging
// what is missing and what is in the way. A directory named like an input is no key. An input
// that vanishes between its two attribute reads raises InvalidFileAttrs.
ConversionPlan PlanConversion(const FileLocation& dirIn, const FileLocation& dirOut, bool decrypt);

// The message that ends a run in which no key failed.
CopiedUString<UTF8> FinalMessage(const ConversionPlan& plan, bool inputDirectoryExists,
                                 bool decrypt);
