// Objects that the file-location unit builds before main and releases at exit; nothing reads
// them.
#pragma once

#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"

extern const FileName kX64EnvironmentExecutableName; // "x64Environment.exe"
extern const FileName kX64EnvironmentMarkerName;     // "__x64environment"
extern const FileName kX64ProcessorInfoMarkerName;   // "__x64processorInfo"

// A path segment split at its first ";" or "?": the segment proper ends at `parameters`, which
// is also where `query` starts; both are `end` when the segment holds neither character.
struct PathSegmentBounds {
    const char* begin;
    const char* parameters;
    const char* query;
    const char* end;
};

constexpr PathSegmentBounds BoundsOfPathSegment(UString<UTF8> segment) {
    const char* split = segment.begin();
    while (split != segment.end() && *split != ';' && *split != '?')
        ++split;
    return {segment.begin(), split, split, segment.end()};
}

extern const PathSegmentBounds kCurrentDirectorySegment; // "."
extern const PathSegmentBounds kParentDirectorySegment;  // ".."
