// Paths of files and directories as UTF-8 texts, where "\" and "/" both separate components, and
// their analysis. Nothing here normalises, resolves or case-folds a path: relative texts stay
// relative, and only the long-path form rewrites "/" to "\".
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"
#include "winapi/win32.h"

// A file name holds a byte below 0x20 or one of the characters " * / : < > ? \ |.
class IllegalFileName : public DebuggableException {};
// A file name is "." or "..".
class IllegalFileNameReserved : public DebuggableException {};

// One validated path component of 1 to 256 bytes, or empty.
class FileName {
public:
    FileName() = default;
    // A text outside 1..256 bytes gives the empty name without an error.
    explicit FileName(UString<UTF8> text);

    // A text that raises leaves the name as it was.
    FileName& Assign(UString<UTF8> text);

    UString<UTF8> View() const QUENDRA_LIFETIME_BOUND { return text_.View(); }
    operator UString<UTF8>() const QUENDRA_LIFETIME_BOUND { return text_.View(); }
    const CopiedUString<UTF8>& Text() const QUENDRA_LIFETIME_BOUND { return text_; }
    bool IsEmpty() const { return text_.IsEmpty(); }

private:
    CopiedUString<UTF8> text_;
};

// Nothing creates one; a location only carries the slot, copied and freed with it.
struct FileLocationSideRecord {};

class FileLocation {
public:
    FileLocation() = default;
    // A text of two bytes or more loses one trailing "\" or "/"; "\" and "/" alone stay roots.
    explicit FileLocation(UString<UTF8> text);
    explicit FileLocation(CopiedUString<UTF8> text);
    // The parent's text, one "\" unless it already ends in a separator, and the child without
    // its leading and trailing separators; a child of separators only adds nothing.
    FileLocation(const FileLocation& parent, UString<UTF8> child);

    FileLocation(const FileLocation& other);
    FileLocation(FileLocation&& other) noexcept = default;
    FileLocation& operator=(const FileLocation& other);
    FileLocation& operator=(FileLocation&& other) noexcept = default;
    ~FileLocation() = default;

    static FileLocation Copy(const FileLocation& other) { return FileLocation(other); }

    UString<UTF8> Text() const QUENDRA_LIFETIME_BOUND { return text_.View(); }
    bool IsEmpty() const { return text_.IsEmpty(); }
    const FileLocationSideRecord* SideRecord() const QUENDRA_LIFETIME_BOUND {
        return sideRecord_.get();
    }

    // The text before the last separator; a separator at the start gives "\".
    FileLocation Parent() const;
    // The text after the last separator, validated; a component above 256 bytes gives the
    // empty name.
    ::FileName FileName() const;
    CopiedUString<UTF8> FileNameText() const;
    bool IsRoot() const;

    // INVALID_FILE_ATTRIBUTES for an item that is missing or unreadable, for the empty location
    // (without a system call) and for text that is not valid UTF-8.
    DWORD GetAttributes() const;
    // Both raise InvalidFileAttrs (code 0, no path) when the attributes cannot be read.
    bool IsDirectory() const;
    bool IsFile() const;
    // Creates the last component only; an existing directory is left alone. The SDK's
    // CreateDirectory macro renames this member alike in every unit, as this header includes it.
    void CreateDirectory(LPSECURITY_ATTRIBUTES security = nullptr) const;
    // Creates every missing directory of the chain, outermost first.
    void CreateDirectories() const;
    void MoveTo(const FileLocation& destination, DWORD flags) const;
    // Replaces an existing file, read-only or not, and may copy across volumes.
    void MoveReplacing(const FileLocation& destination) const;

private:
    CopiedUString<UTF8> text_;
    std::unique_ptr<FileLocationSideRecord> sideRecord_;
};

struct PathAnalysis {
    bool isRoot = false;
    bool isAbsolute = false;
    bool isUnc = false;
    bool hasDrive = false;
    // The drive letter as written and ":", when hasDrive is set.
    CopiedUString<UTF8> drive;
};

// Decided by the first two bytes: a letter and ":" is a drive (absolute, 'C:rel' too), "\\" is
// UNC, a leading "\" or "/" otherwise absolute. Roots are "\", "/", "X:", "\\" and "\\server".
PathAnalysis AnalyzePath(UString<UTF8> path);
bool IsAbsolutePath(UString<UTF8> path);

// The UTF-16 text for a Win32 file call, with a NUL unit after its end that its length does not
// count. A drive or UNC path whose length reaches `limit` is given the long-path prefix, with
// "/" rewritten to "\", unless it holds "." or ".." segments, which only the system resolves.
// A text that already starts with the device prefixes "\\?\" or "\\.\" is only transcoded.
// Raises WindowsCharacterSetResult for text that is not valid UTF-8.
CopiedUString<UTF16> LongPathForm(UString<UTF8> path, std::uint32_t limit);

// The limit of the file calls: the longest path they take without the long-path prefix.
inline constexpr std::uint32_t kFilePathLimit = 259;

// The full path of a module; null is the executable. Raises Windows::Error when the call fails or
// the name does not fit 32,768 units.
CopiedUString<UTF8> ModuleFileName(HMODULE module);
FileLocation ExecutableDirectory();
