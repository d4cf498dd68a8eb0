// Files opened by location, so that every failure names the file; readers and writers that
// address them by explicit offsets; and whole-file reading and writing.
#pragma once

#include <cstdint>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/streams/byte_range.h"
#include "foundation/streams/data_reader.h"
#include "foundation/streams/data_writer.h"
#include "foundation/threads/callable.h"
#include "platform/files/file_location.h"
#include "winapi/win32.h"

namespace WindowsPlatform {

class FileReadingPath {
public:
    FileReadingPath(const FileLocation& location, bool shareWrite);
    FileReadingPath(const FileReadingPath&) = delete;
    FileReadingPath& operator=(const FileReadingPath&) = delete;
    // Closes the handle; a failure to close is dropped.
    virtual ~FileReadingPath();

    // Expects a closed object.
    virtual void OpenForReading(const FileLocation& location, bool shareWrite);
    // Closes what is held first; opens for reading and writing, creating a missing file.
    void OpenForWriting(const FileLocation& location);
    void Open(const FileLocation& location, DWORD access, DWORD disposition, DWORD shareMode);
    void Close();
    std::uint64_t Size() const;

    const FileLocation& Location() const { return location_; }
    HANDLE Handle() const { return handle_; }

protected:
    FileReadingPath() = default;

private:
    FileLocation location_;
    HANDLE handle_ = nullptr;
};

class FileWritingPath : public FileReadingPath {
public:
    // Closed: no location and no handle.
    FileWritingPath() = default;
    explicit FileWritingPath(const FileLocation& location);

    // Closes what is held first; a present file keeps its identity and loses its content.
    void CreateForWriting(const FileLocation& location);
};

} // namespace WindowsPlatform

// Reads from its own offset; the file must outlive the reader.
class FileReader : public DataReader {
public:
    FileReader(const WindowsPlatform::FileReadingPath& file, std::uint64_t offset);

    void Rewind() override { offset_ = 0; }
    bool AtEnd() const override { return offset_ >= size_; }
    void ReadExactly(MutableByteRange range) override;
    void ReadSome(MutableByteRange& range) override;

    std::uint64_t Offset() const { return offset_; }
    std::uint64_t Size() const { return size_; }

private:
    const WindowsPlatform::FileReadingPath* file_;
    std::uint64_t offset_;
    std::uint64_t size_;
};

// Writes at its own offset; the file must outlive the writer.
class FileWriter final : public DataWriter {
public:
    FileWriter(const WindowsPlatform::FileWritingPath& file, std::uint64_t offset);

    FileWriter& Write(ByteRange bytes) override;

    std::uint64_t Offset() const { return offset_; }

private:
    const WindowsPlatform::FileWritingPath* file_;
    std::uint64_t offset_;
};

// A read returned nothing although the file should still hold bytes: it ended early or shrank.
class FileReadingLoopEndOfFileError : public DebuggableException {};

// Delivers the file from an offset to the size it had at the start, in chunks read into the
// caller's buffer.
class FileReadingLoop {
public:
    FileReadingLoop(MutableByteRange buffer, const WindowsPlatform::FileReadingPath& file,
                    std::uint64_t offset);

    // The bytes of the last read, at the buffer's begin; valid while Remaining is above 0.
    ByteRange Chunk() const { return chunk_; }
    std::uint64_t Remaining() const { return remaining_; }
    void Next();

private:
    void Fill();

    MutableByteRange buffer_;
    FileReader reader_;
    ByteRange chunk_;
    std::uint64_t remaining_;
};

// Begin, one Receive per chunk of at most 4096 bytes each followed by the progress call, End;
// End is not called when anything raises. No other handle may write the file meanwhile.
void ReadWholeFile(const FileLocation& location, DataReceiver& receiver, std::uint64_t offset,
                   Callable<void (*)()>* progress);
// Creates or truncates the file and writes the bytes; a failure may leave it partly written.
void WriteWholeFile(ByteRange bytes, const FileLocation& location);
