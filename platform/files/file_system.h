// Probing for an item, and creating uniquely named temporary files; the operations on a single
// location are members of FileLocation.
#pragma once

#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"
#include "winapi/win32.h"

class FileItem {
public:
    // Remembers the location; the empty location is never found.
    bool Find(const FileLocation& location);
    // Raises FileItemError for the location of the last Find when it was not found.
    void RequireFound() const;

    bool Found() const { return found_; }
    const WIN32_FIND_DATAW& Data() const { return data_; }
    const FileLocation& Location() const { return location_; }

private:
    bool found_ = false;
    WIN32_FIND_DATAW data_{};
    FileLocation location_;
};

// Creates an empty file with a fresh name in `directory`, from at most the first three
// characters of `prefix`, and returns its location. Raises Windows::Error when the system cannot.
FileLocation CreateTempFile(const FileLocation& directory, UString<UTF8> prefix);
