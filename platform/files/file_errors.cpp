#include "platform/files/file_errors.h"

#include <array>
#include <span>
#include <utility>

#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/format/format.h"

FileIOError::FileIOError(const FileLocation& location, DWORD code)
    : detail_(std::make_unique<FileIOErrorDetail>()) {
    detail_->code = code;
    detail_->path.Assign(location.Text());
}

FileIOError::FileIOError(const FileLocation& first, const FileLocation& second, DWORD code)
    : FileIOError(first, code) {
    detail_->secondPath.Assign(second.Text());
}

FileIOError::FileIOError(DWORD code) : detail_(std::make_unique<FileIOErrorDetail>()) {
    detail_->code = code;
}

FileIOError::FileIOError(const FileIOError& other)
    : DebuggableException(other), detail_(std::make_unique<FileIOErrorDetail>()) {
    detail_->code = other.detail_->code;
    detail_->path = other.detail_->path;
    detail_->secondPath = other.detail_->secondPath;
}

FileIOError::~FileIOError() = default;

// The arguments bind by position, so braces in a path or a system text stay literal.
CopiedUString<UTF8> FileIOError::ComposeMessage() const {
    const CopiedUString<UTF8> className = WideToUtf8(AnsiToWide(ClassNameText()));
    CopiedUString<UTF8> text = Format("File error \"{e}\"", className);
    if (!detail_->path.IsEmpty())
        text = Format("{s} on \"{p}\"", text, detail_->path);
    if (!detail_->secondPath.IsEmpty())
        text = Format("{s} and \"{p}\"", text, detail_->secondPath);
    if (detail_->code != 0)
        text = Format("{s} : \"{e}\"", text, WindowsErrorText(detail_->code));
    return text;
}

UString<UTF8> FileIOError::Message() const noexcept {
    try {
        detail_->message = ComposeMessage();
        return detail_->message;
    } catch (...) {
        return ClassNameText();
    }
}

const char* FileIOError::what() const noexcept {
    try {
        const CopiedUString<UTF8> narrow = WideToAnsi(Utf8ToWide(ComposeMessage()));
        detail_->narrowMessage.assign(narrow.begin(), narrow.end());
        return detail_->narrowMessage.c_str();
    } catch (...) {
        return DebuggableException::what();
    }
}

namespace {

enum class Raised {
    Pass,
    Plain,
    EndOfFile,
    NotFound,
    NoDirectory,
    Permission,
    Seek,
    Lock,
    DiskFull,
};

enum Map { kPathMap, kOpenMap, kWriteMap, kReadMap };

struct MapRow {
    std::span<const DWORD> codes;
    // By map: path, open, write, read.
    std::array<Raised, 4> raised;
};

constexpr DWORD kSuccess[] = {0};
constexpr DWORD kEndOfFile[] = {38};
constexpr DWORD kNotFound[] = {2, 6, 18, 107};
constexpr DWORD kNoDirectory[] = {3,   15,  17,  34,  52,  53,  55,  67,  70,  85,
                                  111, 123, 124, 125, 144, 154, 161, 206, 208, 267};
constexpr DWORD kDenied[] = {5, 12, 19, 29, 54, 58, 64, 65, 71, 80, 82, 86, 170, 183};
constexpr DWORD kSwapError[] = {999};
constexpr DWORD kNoAccess[] = {998};
constexpr DWORD kSharing[] = {32};
constexpr DWORD kSeek[] = {24, 25, 27, 30, 131, 132};
constexpr DWORD kLock[] = {33, 108, 167};
constexpr DWORD kFull[] = {39, 112};

using enum Raised;

constexpr MapRow kMapRows[] = {
    {kSuccess, {Pass, Pass, Pass, Pass}},
    {kEndOfFile, {Pass, Plain, EndOfFile, EndOfFile}},
    {kNotFound, {NotFound, NotFound, Plain, Plain}},
    {kNoDirectory, {NoDirectory, NoDirectory, Plain, Plain}},
    {kDenied, {Permission, Permission, Plain, Permission}},
    {kSwapError, {Permission, Permission, Plain, Plain}},
    {kNoAccess, {Plain, Plain, Plain, Permission}},
    {kSharing, {Plain, Plain, Permission, Permission}},
    {kSeek, {Seek, Plain, Seek, Seek}},
    {kLock, {Lock, Lock, Permission, Lock}},
    {kFull, {DiskFull, DiskFull, DiskFull, Plain}},
};

Raised RaisedFor(Map map, DWORD code) {
    for (const MapRow& row : kMapRows) {
        for (const DWORD listed : row.codes) {
            if (listed == code)
                return row.raised[map];
        }
    }
    return Plain;
}

// A code the map would let pass raises the plain class: the caller knows the call failed.
[[noreturn]] void Raise(Raised raised, const FileLocation& location, DWORD code) {
    switch (raised) {
    case EndOfFile:
        throw EndOfFileError(location, code);
    case NotFound:
        throw FileNotFoundError(location, code);
    case NoDirectory:
        throw DirectoryNotFoundError(location, code);
    case Permission:
        throw FilePermissionError(location, code);
    case Seek:
        throw FileSeekError(location, code);
    case Lock:
        throw FileLockError(location, code);
    case DiskFull:
        throw DiskFullError(location, code);
    case Pass:
    case Plain:
        break;
    }
    throw FileIOError(location, code);
}

void RaiseUnlessPassed(Map map, const FileLocation& location, DWORD code) {
    const Raised raised = RaisedFor(map, code);
    if (raised != Pass)
        Raise(raised, location, code);
}

} // namespace

void ThrowPathError(const FileLocation& location, DWORD code) {
    RaiseUnlessPassed(kPathMap, location, code);
}

void ThrowOpenError(const FileLocation& location, DWORD code) {
    RaiseUnlessPassed(kOpenMap, location, code);
}

void ThrowWriteError(const FileLocation& location, DWORD code) {
    RaiseUnlessPassed(kWriteMap, location, code);
}

void ThrowReadError(const FileLocation& location, DWORD code) {
    RaiseUnlessPassed(kReadMap, location, code);
}

void ThrowFailedPathCall(const FileLocation& location, DWORD code) {
    Raise(RaisedFor(kPathMap, code), location, code);
}

void ThrowFailedOpenCall(const FileLocation& location, DWORD code) {
    Raise(RaisedFor(kOpenMap, code), location, code);
}

void ThrowFailedWriteCall(const FileLocation& location, DWORD code) {
    Raise(RaisedFor(kWriteMap, code), location, code);
}

void ThrowFailedReadCall(const FileLocation& location, DWORD code) {
    Raise(RaisedFor(kReadMap, code), location, code);
}
