// The exceptions of file operations, and the maps from a Windows error code to the class that
// reports it for each kind of operation.
#pragma once

#include <memory>
#include <string>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"
#include "winapi/win32.h"

struct FileIOErrorDetail {
    DWORD code = 0;
    CopiedUString<UTF8> path;
    // Only a move has one: its destination.
    CopiedUString<UTF8> secondPath;
    CopiedUString<UTF8> message;
    std::string narrowMessage;
};

// Describes itself as
//   File error "{class}" on "{path}" and "{second path}" : "{Windows error text}"
// leaving out each part that it has no value for. The text is composed anew on every call.
class FileIOError : public DebuggableException {
public:
    FileIOError(const FileLocation& location, DWORD code);
    FileIOError(const FileLocation& first, const FileLocation& second, DWORD code);
    explicit FileIOError(DWORD code);
    // The texts are composed anew by the copy.
    FileIOError(const FileIOError& other);
    ~FileIOError() override;

    // Valid until the next what() or Message() on this object.
    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override;

    DWORD Code() const { return detail_->code; }
    UString<UTF8> Path() const QUENDRA_LIFETIME_BOUND { return detail_->path; }
    UString<UTF8> SecondPath() const QUENDRA_LIFETIME_BOUND { return detail_->secondPath; }

private:
    CopiedUString<UTF8> ComposeMessage() const;

    std::unique_ptr<FileIOErrorDetail> detail_;
};

class InvalidFileAttrs : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class EmptyFileLocationError : public FileIOError {
public:
    EmptyFileLocationError() : FileIOError(0) {}
};

class InvalidFileLocation : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class RootHasNoParent : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileNotFoundError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class DirectoryNotFoundError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileFoundError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class DirectoryFoundError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileMoveError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileLockError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class DiskFullError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FilePermissionError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileSeekError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class FileItemError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

class EndOfFileError : public FileIOError {
public:
    using FileIOError::FileIOError;
};

// Each map raises the class its kind of operation gives the code, carrying a copy of the
// location and the code itself. They return for code 0, and the path map for 38 too: these
// serve calls whose result alone cannot tell failure from success, such as GetFileSize and
// SetFilePointer, where the last error decides.
void ThrowPathError(const FileLocation& location, DWORD code);
void ThrowOpenError(const FileLocation& location, DWORD code);
void ThrowWriteError(const FileLocation& location, DWORD code);
void ThrowReadError(const FileLocation& location, DWORD code);

// The same maps for a call whose own result proves that it failed (CreateFileW returning
// INVALID_HANDLE_VALUE; ReadFile, WriteFile, CloseHandle or CreateDirectoryW returning FALSE):
// where the map above would return, these raise FileIOError with the code, 0 included.
[[noreturn]] void ThrowFailedPathCall(const FileLocation& location, DWORD code);
[[noreturn]] void ThrowFailedOpenCall(const FileLocation& location, DWORD code);
[[noreturn]] void ThrowFailedWriteCall(const FileLocation& location, DWORD code);
[[noreturn]] void ThrowFailedReadCall(const FileLocation& location, DWORD code);
