#include "platform/files/file_location.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/transcode.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/text/string_builder.h"
#include "foundation/text/text_ops.h"
#include "foundation/threads/critical_section.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_location_statics.h"
#include "platform/files/module_file_name.h"
#include "winapi/win32.h"

namespace {

constexpr std::uint64_t kMaxFileNameBytes = 256;

bool IsSeparator(char unit) {
    return unit == '\\' || unit == '/';
}

bool IsAsciiLetter(char unit) {
    return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z');
}

// NUL is refused too: the system would end the name there and so name another file.
bool IsForbiddenInFileName(char unit) {
    const auto byte = static_cast<unsigned char>(unit);
    if (byte < 0x20)
        return true;
    switch (byte) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
        return true;
    default:
        return false;
    }
}

bool IsDotName(UString<UTF8> text) {
    const std::uint64_t length = text.Length();
    const char* p = text.begin();
    return (length == 1 && p[0] == '.') || (length == 2 && p[0] == '.' && p[1] == '.');
}

// Whichever of "\" and "/" comes last, or null.
const char* LastSeparator(UString<UTF8> text) {
    if (text.IsEmpty())
        return nullptr;
    for (const char* p = text.end(); p != text.begin();) {
        --p;
        if (IsSeparator(*p))
            return p;
    }
    return nullptr;
}

UString<UTF8> WithoutTrailingSeparator(UString<UTF8> text) {
    if (text.Length() >= 2 && IsSeparator(text.end()[-1]))
        return UString<UTF8>(text.begin(), text.end() - 1);
    return text;
}

CopiedUString<UTF8> JoinedText(const FileLocation& parent, UString<UTF8> child) {
    if (parent.IsEmpty())
        throw EmptyFileLocationError();
    const char* begin = child.begin();
    const char* end = child.IsEmpty() ? begin : child.end();
    while (begin != end && IsSeparator(*begin))
        ++begin;
    while (end != begin && IsSeparator(end[-1]))
        --end;
    const UString<UTF8> base = parent.Text();
    if (begin == end)
        return CopiedUString<UTF8>(base);
    const bool needsSeparator = !IsSeparator(base.end()[-1]);
    CopiedUString<UTF8> text =
        CopiedUString<UTF8>::WithCapacity(base.Length() + (needsSeparator ? 1 : 0) + (end - begin));
    text.Append(base);
    if (needsSeparator)
        text.Append("\\");
    text.Append(UString<UTF8>(begin, end));
    return text;
}

std::unique_ptr<FileLocationSideRecord>
CopyOf(const std::unique_ptr<FileLocationSideRecord>& record) {
    if (!record)
        return nullptr;
    return std::make_unique<FileLocationSideRecord>(*record);
}

CopiedUString<UTF16> PlainForm(UString<UTF8> path) {
    return TerminatedCopy(TranscodeU8ToU16(path), false);
}

// "\\?\" and "\\.\" (the system takes "/" as the last byte too) already address a device or a
// long path; another prefix would make a UNC path of them.
bool IsDevicePath(UString<UTF8> path) {
    const char* p = path.begin();
    return path.Length() >= 4 && p[0] == '\\' && p[1] == '\\' && (p[2] == '?' || p[2] == '.') &&
           IsSeparator(p[3]);
}

bool EndsWith(UString<UTF16> text, UString<UTF16> suffix) {
    return text.Length() >= suffix.Length() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.Length());
}

bool Contains(UString<UTF16> text, UString<UTF16> pattern) {
    return FindFirst<UTF16>(text, pattern) != text.end();
}

// A prefixed path reaches the file system unresolved, so "." and ".." would be taken as names.
bool HasDotSegment(UString<UTF16> text) {
    return Contains(text, WIDE("\\..\\")) || Contains(text, WIDE("\\.\\")) ||
           EndsWith(text, WIDE("\\.")) || EndsWith(text, WIDE("\\.."));
}

} // namespace

const FileName kX64EnvironmentExecutableName("x64Environment.exe");
const FileName kX64EnvironmentMarkerName("__x64environment");
const FileName kX64ProcessorInfoMarkerName("__x64processorInfo");

namespace {
// One of the unit's start-up objects; nothing enters it.
CriticalSection processCriticalSection;
} // namespace

const PathSegmentBounds kCurrentDirectorySegment = BoundsOfPathSegment(".");
const PathSegmentBounds kParentDirectorySegment = BoundsOfPathSegment("..");

FileName::FileName(UString<UTF8> text) {
    Assign(text);
}

FileName& FileName::Assign(UString<UTF8> text) {
    const std::uint64_t length = text.Length();
    if (length < 1 || length > kMaxFileNameBytes) {
        text_ = CopiedUString<UTF8>();
        return *this;
    }
    if (IsDotName(text))
        throw IllegalFileNameReserved();
    for (const char unit : text) {
        if (IsForbiddenInFileName(unit))
            throw IllegalFileName();
    }
    text_.Assign(text);
    return *this;
}

FileLocation::FileLocation(UString<UTF8> text) : text_(WithoutTrailingSeparator(text)) {}

FileLocation::FileLocation(CopiedUString<UTF8> text) : text_(std::move(text)) {
    if (text_.Length() >= 2 && IsSeparator(text_.end()[-1]))
        text_.SetEnd(text_.end() - 1);
}

FileLocation::FileLocation(const FileLocation& parent, UString<UTF8> child)
    : text_(JoinedText(parent, child)), sideRecord_(CopyOf(parent.sideRecord_)) {}

FileLocation::FileLocation(const FileLocation& other)
    : text_(other.text_), sideRecord_(CopyOf(other.sideRecord_)) {}

FileLocation& FileLocation::operator=(const FileLocation& other) {
    if (this != &other) {
        FileLocation copy(other);
        *this = std::move(copy);
    }
    return *this;
}

bool FileLocation::IsRoot() const {
    if (text_.IsEmpty())
        throw EmptyFileLocationError();
    return AnalyzePath(text_).isRoot;
}

FileLocation FileLocation::Parent() const {
    if (IsRoot())
        throw RootHasNoParent(*this, 0);
    const char* separator = LastSeparator(text_);
    if (separator == nullptr)
        throw InvalidFileLocation(*this, 0);
    if (separator == text_.begin())
        return FileLocation(UString<UTF8>("\\"));
    return FileLocation(UString<UTF8>(text_.begin(), separator));
}

::FileName FileLocation::FileName() const {
    if (text_.IsEmpty())
        return ::FileName();
    const char* separator = LastSeparator(text_);
    const char* start = separator != nullptr ? separator + 1 : text_.begin();
    return ::FileName(UString<UTF8>(start, text_.end()));
}

CopiedUString<UTF8> FileLocation::FileNameText() const {
    const ::FileName name = FileName();
    return name.Text();
}

PathAnalysis AnalyzePath(UString<UTF8> path) {
    PathAnalysis analysis;
    const std::uint64_t length = path.Length();
    const char* p = path.begin();
    if (length == 0)
        return analysis;
    if (length == 1) {
        analysis.isRoot = analysis.isAbsolute = IsSeparator(p[0]);
        return analysis;
    }
    if (IsAsciiLetter(p[0]) && p[1] == ':') {
        analysis.hasDrive = analysis.isAbsolute = true;
        analysis.drive = CopiedUString<UTF8>(p, p + 2);
        analysis.isRoot = length == 2;
    } else if (p[0] == '\\' && p[1] == '\\') {
        analysis.isUnc = analysis.isAbsolute = true;
        analysis.isRoot = LastSeparator(UString<UTF8>(p + 2, path.end())) == nullptr;
    } else if (IsSeparator(p[0])) {
        analysis.isAbsolute = true;
    }
    return analysis;
}

bool IsAbsolutePath(UString<UTF8> path) {
    return AnalyzePath(path).isAbsolute;
}

CopiedUString<UTF16> LongPathForm(UString<UTF8> path, std::uint32_t limit) {
    if (path.Length() < limit || IsDevicePath(path))
        return PlainForm(path);
    const PathAnalysis analysis = AnalyzePath(path);
    if (!analysis.hasDrive && !analysis.isUnc)
        return PlainForm(path);
    CopiedUString<UTF16> wide = TranscodeU8ToU16(path);
    if (wide.Length() < limit)
        return TerminatedCopy(std::move(wide), false);
    CopiedUString<UTF16> replaced =
        ReplaceAll<UTF16>(wide, UString<UTF16>(WIDE("/")), UString<UTF16>(WIDE("\\")));
    // 'C:rel' is relative to the drive's current directory, which a prefixed path cannot say.
    const bool rootedDrive = analysis.hasDrive && path.Length() > 2 && IsSeparator(path.begin()[2]);
    if (HasDotSegment(replaced) || !(analysis.isUnc || rootedDrive))
        return TerminatedCopy(std::move(replaced), false);
    CopiedUString<UTF16> prefixed =
        analysis.isUnc ? Concatenate<UTF16>(UString<UTF16>(WIDE("\\\\?\\UNC")),
                                            UString<UTF16>(replaced.begin() + 1, replaced.end()))
                       : Concatenate<UTF16>(UString<UTF16>(WIDE("\\\\?\\")), replaced);
    return TerminatedCopy(std::move(prefixed), false);
}

// A name that fills the buffer may have been cut short, so only a shorter result is trusted.
CopiedUString<UTF8> ModuleFileNameThrough(ModuleFileNameCall call, HMODULE module) {
    std::vector<WCHAR> buffer(kFirstModuleNameUnits);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = call(module, buffer.data(), size);
        if (length == 0)
            ThrowFailedCall();
        if (length < size)
            return TranscodeU16ToU8(UString<UTF16>(buffer.data(), buffer.data() + length));
        if (size >= kMaxModuleNameUnits)
            throw Windows::Error(ERROR_INSUFFICIENT_BUFFER, nullptr);
        buffer.assign(std::min<DWORD>(2 * size, kMaxModuleNameUnits), WCHAR(0));
    }
}

CopiedUString<UTF8> ModuleFileName(HMODULE module) {
    return ModuleFileNameThrough([](HMODULE target, LPWSTR name,
                                    DWORD size) { return GetModuleFileNameW(target, name, size); },
                                 module);
}

FileLocation ExecutableDirectory() {
    return FileLocation(ModuleFileName(nullptr)).Parent();
}
