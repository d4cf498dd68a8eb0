// A file that exists only to become another: it is either committed onto its target or removed,
// so that no half-made output is ever left behind under a temporary name.
#pragma once

#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"

class TemporaryFile {
public:
    // Creates the empty file in `directory`, named as CreateTempFile names it.
    TemporaryFile(const FileLocation& directory, UString<UTF8> prefix);
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    // Removes the file unless it was committed, read-only or not, leaving the thread's last error
    // as the failure that ended the owner's work left it. A file that cannot be removed stays.
    ~TemporaryFile();

    const FileLocation& Location() const { return location_; }

    // Moves the file onto `target` in the same directory. A target that exists, even one that
    // appeared after the caller looked, is never replaced: the move fails with
    // ERROR_ALREADY_EXISTS. Raises FileMoveError with the move's code; the file is then still
    // owned.
    void Commit(const FileLocation& target);

private:
    FileLocation location_;
    bool committed_ = false;
};
