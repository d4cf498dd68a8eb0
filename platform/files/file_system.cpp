#include "platform/files/file_system.h"

#include <algorithm>
#include <vector>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/transcode.h"
#include "foundation/encoding/windows_error.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_location.h"
#include "platform/files/temp_file_name.h"

namespace {

constexpr std::uint32_t kDirectoryLimit = 248;

} // namespace

DWORD FileLocation::GetAttributes() const {
    if (IsEmpty())
        return INVALID_FILE_ATTRIBUTES;
    try {
        const CopiedUString<UTF16> name = LongPathForm(Text(), kFilePathLimit);
        return GetFileAttributesW(name.begin());
    } catch (const WindowsCharacterSetResult&) {
        // Text that is not UTF-8 names no item.
        return INVALID_FILE_ATTRIBUTES;
    }
}

bool FileLocation::IsDirectory() const {
    const DWORD attributes = GetAttributes();
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw InvalidFileAttrs(0);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileLocation::IsFile() const {
    return !IsDirectory();
}

void FileLocation::CreateDirectory(LPSECURITY_ATTRIBUTES security) const {
    if (IsEmpty())
        throw EmptyFileLocationError();
    const DWORD attributes = GetAttributes();
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const CopiedUString<UTF16> name = LongPathForm(Text(), kDirectoryLimit);
        if (!::CreateDirectoryW(name.begin(), security))
            ThrowFailedPathCall(*this, GetLastError());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        throw DirectoryNotFoundError(*this, 0);
}

// A loop rather than recursion, so that a path of many components cannot exhaust the stack.
// Every missing parent is found before the first directory is made, so a chain that Parent
// refuses (a missing relative name without a separator) creates nothing.
void FileLocation::CreateDirectories() const {
    std::vector<FileLocation> missing;
    FileLocation current(*this);
    for (;;) {
        FileItem item;
        if (item.Find(current)) {
            if ((item.Data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                throw FileFoundError(current, 0);
            break;
        }
        // A search never finds a share's root, which exists all the same; the climb would
        // otherwise go on to the server's name, which no directory can be made of.
        if (const DWORD attributes = current.GetAttributes();
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            break;
        missing.push_back(current);
        if (current.IsRoot())
            break;
        current = current.Parent();
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        it->CreateDirectory(nullptr);
}

void FileLocation::MoveTo(const FileLocation& destination, DWORD flags) const {
    const DWORD sourceAttributes = GetAttributes();
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES)
        throw FileNotFoundError(*this, 2);
    if (IsEmpty() || destination.IsEmpty())
        throw EmptyFileLocationError();
    const CopiedUString<UTF16> source = LongPathForm(Text(), kFilePathLimit);
    const CopiedUString<UTF16> target = LongPathForm(destination.Text(), kFilePathLimit);
    if (destination.GetAttributes() != INVALID_FILE_ATTRIBUTES) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0)
            throw FileFoundError(destination, 0);
        const bool sourceIsFile = IsFile();
        if (destination.IsFile() != sourceIsFile)
            throw DirectoryFoundError(sourceIsFile ? destination : *this, 0);
        const DWORD targetAttributes = destination.GetAttributes();
        if (targetAttributes == INVALID_FILE_ATTRIBUTES)
            throw FileNotFoundError(destination, GetLastError());
        if ((targetAttributes & FILE_ATTRIBUTE_READONLY) != 0)
            SetFileAttributesW(target.begin(), targetAttributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!MoveFileExW(source.begin(), target.begin(), flags))
        throw FileMoveError(*this, destination, GetLastError());
    if ((sourceAttributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(target.begin(), sourceAttributes);
}

void FileLocation::MoveReplacing(const FileLocation& destination) const {
    if (IsEmpty() || destination.IsEmpty())
        throw EmptyFileLocationError();
    if (GetAttributes() == INVALID_FILE_ATTRIBUTES)
        throw FileNotFoundError(*this, 2);
    MoveTo(destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
}

bool FileItem::Find(const FileLocation& location) {
    location_ = location;
    found_ = false;
    if (location.IsEmpty())
        return false;
    const CopiedUString<UTF16> name = LongPathForm(location.Text(), kFilePathLimit);
    const HANDLE find = FindFirstFileW(name.begin(), &data_);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        found_ = true;
    }
    return found_;
}

void FileItem::RequireFound() const {
    if (!found_)
        throw FileItemError(location_, 0);
}

// Wine cuts a name that does not fit, or writes it past the buffer, and creates the file all the
// same, under a name nobody can read back to remove it. So the call is made only when its longest
// name fits: the directory, a separator, three prefix units, four hex digits, ".TMP" and the NUL.
// A buffer that still comes back without a NUL is a failure, read no further than its end.
FileLocation CreateTempFileThrough(TempFileNameCall call, const FileLocation& directory,
                                   UString<UTF8> prefix) {
    if (directory.IsEmpty())
        throw EmptyFileLocationError();
    const CopiedUString<UTF16> widePrefix = TerminatedCopy(TranscodeU8ToU16(prefix), false);
    const CopiedUString<UTF16> wideDirectory =
        TerminatedCopy(TranscodeU8ToU16(directory.Text()), false);
    const std::uint64_t longest =
        wideDirectory.Length() + 1 + std::min<std::uint64_t>(widePrefix.Length(), 3) + 4 + 4 + 1;
    if (longest > MAX_PATH)
        throw Windows::Error(ERROR_FILENAME_EXCED_RANGE, nullptr);
    WCHAR name[MAX_PATH] = {};
    CheckWin32(call(wideDirectory.begin(), widePrefix.begin(), 0, name) != 0);
    const WCHAR* end = std::find(name, name + MAX_PATH, WCHAR(0));
    if (end == name + MAX_PATH)
        throw Windows::Error(ERROR_FILENAME_EXCED_RANGE, nullptr);
    return FileLocation(TranscodeU16ToU8(UString<UTF16>(name, end)));
}

FileLocation CreateTempFile(const FileLocation& directory, UString<UTF8> prefix) {
    return CreateTempFileThrough(
        [](LPCWSTR folder, LPCWSTR stem, UINT unique, LPWSTR name) {
            return GetTempFileNameW(folder, stem, unique, name);
        },
        directory, prefix);
}
