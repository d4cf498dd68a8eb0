#include "platform/logging/file_log_writer.h"

#include "platform/files/open_file.h"
#include "platform/logging/log_time_stamp.h"

FileLogWriter::FileLogWriter(const FileLocation& logFile) : logFile_(logFile) {
    try {
        logFile_.Parent().CreateDirectory();
    } catch (...) {
        // Logging must not stop the run; a missing directory makes every batch fail instead.
    }
}

void FileLogWriter::EnableCategory(UString<UTF8> category) {
    enabled_.insert(CopiedUString<UTF8>(category));
}

bool FileLogWriter::IsCategoryEnabled(UString<UTF8> category) {
    return enabled_.contains(CopiedUString<UTF8>(category));
}

CopiedUString<UTF8> FileLogWriter::FormatAuditEntry(UString<UTF8>, const AuditFields& fields,
                                                    UString<UTF8> message) {
    return RenderAuditEntry(LogTimeStamp(), fields, message);
}

CopiedUString<UTF8> FileLogWriter::FormatLine(UString<UTF8>, UString<UTF8> message) {
    return FormatPlainLine(LogTimeStamp(), message);
}

void FileLogWriter::WriteLines(const LogLines& lines) {
    WindowsPlatform::FileWritingPath file(logFile_);
    FileWriter writer(file, file.Size());
    for (const CopiedUString<UTF8>& line : lines)
        writer.Write(
            ByteRange(reinterpret_cast<const unsigned char*>(line.begin()), line.Length()));
    file.Close();
}
