#include "platform/files/open_file.h"

#include <algorithm>

#include "foundation/streams/stream_errors.h"
#include "platform/files/file_errors.h"

namespace {

constexpr std::size_t kReadWholeFileBuffer = 4096;
// The largest count one ReadFile or WriteFile takes; longer ranges go in several calls rather
// than with a count cut to 32 bits.
constexpr std::uint64_t kMaxTransfer = 0x80000000u;

DWORD TransferCount(std::uint64_t length) {
    return static_cast<DWORD>(std::min(length, kMaxTransfer));
}

void Seek(const WindowsPlatform::FileReadingPath& file, std::uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD low =
        SetFilePointer(file.Handle(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != 0)
        throw FileSeekError(file.Location(), 0);
}

} // namespace

namespace WindowsPlatform {

FileReadingPath::FileReadingPath(const FileLocation& location, bool shareWrite) {
    OpenForReading(location, shareWrite);
}

FileReadingPath::~FileReadingPath() {
    try {
        Close();
    } catch (...) {
        // A destructor must not raise; Close reports the same failure when called explicitly.
    }
}

void FileReadingPath::OpenForReading(const FileLocation& location, bool shareWrite) {
    Open(location, GENERIC_READ, OPEN_EXISTING,
         FILE_SHARE_READ | (shareWrite ? FILE_SHARE_WRITE : 0));
}

void FileReadingPath::OpenForWriting(const FileLocation& location) {
    Close();
    Open(location, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_SHARE_READ);
}

void FileReadingPath::Open(const FileLocation& location, DWORD access, DWORD disposition,
                           DWORD shareMode) {
    location_ = location;
    const CopiedUString<UTF16> name = LongPathForm(location_.Text(), kFilePathLimit);
    // CREATE_ALWAYS would replace a present file with a new one, losing its attributes and
    // security; truncating keeps them.
    const bool truncate = disposition == CREATE_ALWAYS;
    handle_ = CreateFileW(name.begin(), access, shareMode, nullptr,
                          truncate ? OPEN_ALWAYS : disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        handle_ = nullptr;
        ThrowFailedOpenCall(location_, GetLastError());
    }
    if (truncate && GetLastError() == ERROR_ALREADY_EXISTS) {
        const DWORD moved = SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
        const bool seekFailed = moved == INVALID_SET_FILE_POINTER && GetLastError() != 0;
        if (seekFailed || !SetEndOfFile(handle_)) {
            const DWORD code = GetLastError();
            CloseHandle(handle_);
            handle_ = nullptr;
            ThrowFailedOpenCall(location_, code);
        }
    }
    const DWORD type = GetFileType(handle_);
    if (type != FILE_TYPE_DISK) {
        const DWORD code = type == FILE_TYPE_UNKNOWN ? GetLastError() : 0;
        CloseHandle(handle_);
        handle_ = nullptr;
        // Devices and pipes are refused as if access were denied.
        ThrowFailedOpenCall(location_, code != 0 ? code : ERROR_ACCESS_DENIED);
    }
}

void FileReadingPath::Close() {
    if (handle_ == nullptr)
        return;
    const HANDLE handle = handle_;
    handle_ = nullptr;
    if (!CloseHandle(handle))
        ThrowFailedOpenCall(location_, GetLastError());
}

std::uint64_t FileReadingPath::Size() const {
    DWORD high = 0;
    const DWORD low = GetFileSize(handle_, &high);
    if (low == INVALID_FILE_SIZE)
        ThrowOpenError(location_, GetLastError());
    return (std::uint64_t(high) << 32) | low;
}

FileWritingPath::FileWritingPath(const FileLocation& location) {
    OpenForWriting(location);
}

void FileWritingPath::CreateForWriting(const FileLocation& location) {
    Close();
    Open(location, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_SHARE_READ);
}

} // namespace WindowsPlatform

FileReader::FileReader(const WindowsPlatform::FileReadingPath& file, std::uint64_t offset)
    : file_(&file), offset_(offset), size_(file.Size()) {}

void FileReader::ReadSome(MutableByteRange& range) {
    Seek(*file_, offset_);
    DWORD read = 0;
    if (!ReadFile(file_->Handle(), range.begin(), TransferCount(range.Length()), &read, nullptr))
        ThrowFailedReadCall(file_->Location(), GetLastError());
    offset_ += read;
    range.Advance(read);
}

void FileReader::ReadExactly(MutableByteRange range) {
    while (!range.IsEmpty()) {
        Seek(*file_, offset_);
        const DWORD count = TransferCount(range.Length());
        DWORD read = 0;
        if (!ReadFile(file_->Handle(), range.begin(), count, &read, nullptr))
            ThrowFailedReadCall(file_->Location(), GetLastError());
        offset_ += read;
        if (read != count)
            throw NoMoreData();
        range.Advance(read);
    }
}

FileWriter::FileWriter(const WindowsPlatform::FileWritingPath& file, std::uint64_t offset)
    : file_(&file), offset_(offset) {}

FileWriter& FileWriter::Write(ByteRange bytes) {
    while (!bytes.IsEmpty()) {
        Seek(*file_, offset_);
        const DWORD count = TransferCount(bytes.Length());
        DWORD written = 0;
        if (!WriteFile(file_->Handle(), bytes.begin(), count, &written, nullptr))
            ThrowFailedWriteCall(file_->Location(), GetLastError());
        if (written != count)
            throw FileIOError(file_->Location(), 0);
        offset_ += count;
        bytes.Advance(count);
    }
    return *this;
}

FileReadingLoop::FileReadingLoop(MutableByteRange buffer,
                                 const WindowsPlatform::FileReadingPath& file, std::uint64_t offset)
    : buffer_(buffer), reader_(file, offset), remaining_(reader_.Size() - offset) {
    if (remaining_ != 0)
        Fill();
}

void FileReadingLoop::Next() {
    remaining_ -= chunk_.Length();
    if (remaining_ != 0)
        Fill();
}

// An empty read while bytes remain means the file shrank; reading on would never end.
void FileReadingLoop::Fill() {
    if (reader_.AtEnd())
        throw FileReadingLoopEndOfFileError();
    MutableByteRange target = buffer_;
    if (remaining_ < target.Length())
        target = MutableByteRange(buffer_.begin(), static_cast<std::size_t>(remaining_));
    reader_.ReadSome(target);
    chunk_ = ByteRange(buffer_.begin(), target.begin());
    if (chunk_.IsEmpty())
        throw FileReadingLoopEndOfFileError();
}

void ReadWholeFile(const FileLocation& location, DataReceiver& receiver, std::uint64_t offset,
                   Callable<void (*)()>* progress) {
    receiver.Begin();
    {
        const WindowsPlatform::FileReadingPath file(location, false);
        unsigned char buffer[kReadWholeFileBuffer];
        FileReadingLoop loop(MutableByteRange(buffer, sizeof buffer), file, offset);
        while (loop.Remaining() > 0) {
            receiver.Receive(loop.Chunk());
            if (progress != nullptr)
                progress->Run();
            loop.Next();
        }
    }
    receiver.End();
}

void WriteWholeFile(ByteRange bytes, const FileLocation& location) {
    WindowsPlatform::FileWritingPath file;
    file.CreateForWriting(location);
    FileWriter(file, 0).Write(bytes);
    file.Close();
}
