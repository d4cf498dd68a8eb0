#include <cstdint>
#include <memory>

#include "foundation/catchers/caught_exception.h"
#include "platform/files/file_location.h"
#include "platform/logging/file_log_writer.h"
#include "platform/logging/log_manager.h"
#include "platform/sockets/winsock_startup.h"
#include "tool/conversion_run.h"
#include "tool/exception_description.h"
#include "tool/exit_codes.h"
#include "tool/gui_class_library.h"
#include "tool/options.h"
#include "tool/process_boundary.h"
#include "tool/usage_text.h"
#include "tool/user_messages.h"

namespace {

WinsockStartup winsock(true);

// Owns the writer once the log manager has it, and takes it back out before it is destroyed.
class LogWriterRegistration {
public:
    explicit LogWriterRegistration(std::unique_ptr<FileLogWriter> writer) {
        try {
            LogManager::Instance().AddWriter(writer.get());
        } catch (...) {
            // The manager must not keep the address of a writer about to be destroyed.
            LogManager::Instance().RemoveWriter(writer.get());
            throw;
        }
        writer_ = std::move(writer);
    }
    LogWriterRegistration(const LogWriterRegistration&) = delete;
    LogWriterRegistration& operator=(const LogWriterRegistration&) = delete;
    ~LogWriterRegistration() { LogManager::Instance().RemoveWriter(writer_.get()); }

private:
    std::unique_ptr<FileLogWriter> writer_;
};

bool CommandLineComplete() {
    return HasOption("sitepvklocation") && HasOption("sitepvkpassword") &&
           (HasOption("decrypt") || HasOption("encrypt")) &&
           !(HasOption("decrypt") && HasOption("encrypt")) && HasOption("dirout") &&
           HasOption("dirin");
}

void ShowUsage(bool console, int argumentCount) {
    if (console) {
        for (const UString<UTF8> line : ConsoleUsageText) {
            WriteConsoleLine(line);
        }
        return;
    }
    if (argumentCount <= 1) {
        FreeConsole();
    }
    const CopiedUString<UTF16> title = ToMessageBoxText("Quendra");
    const CopiedUString<UTF16> text = ToMessageBoxText(BoxUsageTemplate);
    ShowMessageBox(text.begin(), title.begin(), MB_OK);
}

std::uint32_t RunTool(int argumentCount, char** arguments) {
    ParseCommandLine(argumentCount, arguments);
    const bool hide = HasOption("hideui");
    const bool windowsShown =
        AfxWinInit(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), 0) != FALSE;
    const bool console = hide || !windowsShown;
    if (!CommandLineComplete()) {
        ShowUsage(console, argumentCount);
        return kRefusedExitCode;
    }

    const LoggingScope logging;
    auto writer = std::make_unique<FileLogWriter>(
        FileLocation(ExecutableDirectory(), FileName("Quendra.out")));
    writer->EnableCategory("debug");
    writer->EnableCategory("critical");
    const LogWriterRegistration registration(std::move(writer));
    const ExceptionCatcherRegistration<std::exception> standardCatchers;
    const ExceptionCatcherRegistration<ExceptionPL> platformCatchers;

    LogDebug("Entering Quendra ...");
    std::uint32_t result = 0;
    try {
        result = RunKeyConversion(console);
    } catch (...) {
        ShowMessage(DescribeCurrentException(), console);
        result = kUncodedFailureExitCode;
    }
    LogDebug("Exit Quendra ...");
    return result;
}

} // namespace

// What escapes the run's own handlers ends here rather than in a crash: the description on the
// console, and a failure code.
int main(int argumentCount, char** arguments) {
    PrepareStandardOutput();
    try {
        return ProcessExitCode(RunTool(argumentCount, arguments));
    } catch (...) {
        try {
            WriteConsoleLine(DescribeCurrentException());
        } catch (...) {
        }
        return ProcessExitCode(kUncodedFailureExitCode);
    }
}
