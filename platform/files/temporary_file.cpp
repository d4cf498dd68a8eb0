#include "platform/files/temporary_file.h"

#include "platform/files/file_errors.h"
#include "platform/files/file_system.h"
#include "winapi/win32.h"

TemporaryFile::TemporaryFile(const FileLocation& directory, UString<UTF8> prefix)
    : location_(CreateTempFile(directory, prefix)) {}

TemporaryFile::~TemporaryFile() {
    if (committed_)
        return;
    const DWORD error = GetLastError();
    try {
        const CopiedUString<UTF16> name = LongPathForm(location_.Text(), kFilePathLimit);
        SetFileAttributesW(name.begin(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(name.begin());
    } catch (...) {
        // The file stays; the failure that brought the owner here matters more.
    }
    SetLastError(error);
}

void TemporaryFile::Commit(const FileLocation& target) {
    const CopiedUString<UTF16> source = LongPathForm(location_.Text(), kFilePathLimit);
    const CopiedUString<UTF16> destination = LongPathForm(target.Text(), kFilePathLimit);
    // No replacing and no copying: within one directory the move is a rename or nothing.
    if (!MoveFileExW(source.begin(), destination.begin(), 0))
        throw FileMoveError(location_, target, GetLastError());
    committed_ = true;
}
