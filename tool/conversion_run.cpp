#include "tool/conversion_run.h"

#include <map>

#include "foundation/encoding/windows_error.h"
#include "foundation/text/string_builder.h"
#include "foundation/text/text_ops.h"
#include "keyprotect/codec/key_file_codec.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_location.h"
#include "tool/exception_description.h"
#include "tool/options.h"
#include "tool/user_messages.h"

constexpr std::array<UString<UTF8>, 6> KeyNameTable{
    "HubSealKey", "AgentRootKey", "GatewayKey", "CoreKey", "PortalRootKey", "ViewerRootKey",
};

namespace {

constexpr std::uint32_t kRefusedExitCode = 13;

struct PathTextLess {
    bool operator()(const FileLocation& x, const FileLocation& y) const {
        return AsciiCompareNoCase(x.Text(), y.Text()) < 0;
    }
};

// Input location to output location, converted in the case-insensitive order of the inputs.
using WorkList = std::map<FileLocation, FileLocation, PathTextLess>;

// Inside a handler: the failing call's code as the error carries it, since unwinding may clear
// the thread's last error (it does on the Windows build); otherwise the last error, read before
// anything else can touch it.
std::uint32_t FailureExitCode() {
    DWORD code = GetLastError();
    try {
        throw;
    } catch (const Windows::Error& error) {
        code = error.Code() != 0 ? error.Code() : code;
    } catch (const FileIOError& error) {
        code = error.Code() != 0 ? error.Code() : code;
    } catch (...) {
    }
    return code != 0 ? code : kUncodedFailureExitCode;
}

// A copy of the site password, wiped before its memory is released.
class PasswordCopy {
public:
    explicit PasswordCopy(CopiedUString<UTF8> text) : text_(std::move(text)) {}
    PasswordCopy(const PasswordCopy&) = delete;
    PasswordCopy& operator=(const PasswordCopy&) = delete;
    ~PasswordCopy() { SecureZeroMemory(text_.begin(), text_.Length()); }

    UString<UTF8> View() const { return text_.View(); }

private:
    CopiedUString<UTF8> text_;
};

CopiedUString<UTF8> Quoted(UString<UTF8> prefix, UString<UTF8> description) {
    return CopiedUString<UTF8>(prefix) + "\"" + description + "\"";
}

} // namespace

std::uint32_t RunKeyConversion(bool console) {
    try {
        InitializeOpenSSL(false);
    } catch (...) {
        const std::uint32_t code = FailureExitCode();
        ShowMessage(Quoted("Error initializing openssl : ", DescribeCurrentException()), console);
        return code;
    }

    if (!HasOption("sitepvklocation") || !HasOption("sitepvkpassword")) {
        ShowMessage("You must specify sitePvkLocation and sitePvkPassword.", console);
        return kRefusedExitCode;
    }
    try {
        const FileLocation siteKeyLocation(GetOption("sitepvklocation", ""));
        const PasswordCopy password(GetOption("sitepvkpassword", ""));
        ReadPrivateKeyFile(siteKeyLocation, password.View());
    } catch (...) {
        ShowMessage("Incorrect site password or error reading private key file. Please try again.",
                    console);
        return kRefusedExitCode;
    }

    const bool decrypt = HasOption("decrypt");
    const FileLocation dirIn(GetOption("dirin", ""));
    const FileLocation dirOut(GetOption("dirout", ""));
    LogDebug(decrypt ? "decrypting ..." : "encrypting ...");
    LogDebug(CopiedUString<UTF8>("Input '") + dirIn.Text() + "'");
    LogDebug(CopiedUString<UTF8>("Output '") + dirOut.Text() + "'");
    if (!IsAbsolutePath(dirIn.Text())) {
        ShowMessage("The directory in input does not appear to be an absolute path.", console);
        return kRefusedExitCode;
    }
    if (!IsAbsolutePath(dirOut.Text())) {
        ShowMessage("The directory in output does not appear to be an absolute path.", console);
        return kRefusedExitCode;
    }

    const UString<UTF8> inputPrefix = decrypt ? "Encrypted" : "Decrypted";
    const UString<UTF8> outputPrefix = decrypt ? "Decrypted" : "Encrypted";
    WorkList workList;
    bool conflict = false;
    CopiedUString<UTF8> report;
    for (const UString<UTF8> keyName : KeyNameTable) {
        const FileLocation in(dirIn, FileName(Concatenate(inputPrefix, keyName)));
        if (in.GetAttributes() == INVALID_FILE_ATTRIBUTES || !in.IsFile()) {
            LogDebug(CopiedUString<UTF8>("Key in input not found '") + in.FileName() + "' ...");
            continue;
        }
        FileLocation out(dirOut, FileName(Concatenate(outputPrefix, keyName)));
        if (out.GetAttributes() == INVALID_FILE_ATTRIBUTES) {
            workList.insert_or_assign(in, std::move(out));
            continue;
        }
        LogDebug(CopiedUString<UTF8>("Key in output already exists '") + out.FileNameText() +
                 "' ...");
        if (report.IsEmpty()) {
            report = CopiedUString<UTF8>(
                "Error: the following keys already exist in the output dir:\n\n");
        }
        report.Append(out.FileNameText()).Append("\n");
        conflict = true;
    }
    if (conflict) {
        workList.clear();
    } else if (!workList.empty()) {
        dirOut.CreateDirectories();
    }

    for (const auto& [in, out] : workList) {
        LogDebug(CopiedUString<UTF8>("Elaborating key='") + in.Text() + "'");
        try {
            const PrivateKeyHolder key = ReadKeyFile(in, decrypt);
            WriteKeyFile(key.Get(), out, !decrypt);
        } catch (...) {
            const std::uint32_t code = FailureExitCode();
            ShowMessage(Quoted(CopiedUString<UTF8>("Error elaborating key '") + in.Text() + "' : ",
                               DescribeCurrentException()),
                        console);
            return code;
        }
    }

    if (dirIn.GetAttributes() == INVALID_FILE_ATTRIBUTES) {
        report = CopiedUString<UTF8>("The input directory does not exist ... ");
    } else if (!conflict) {
        report =
            workList.empty()
                ? Concatenate<UTF8>("No keys found to be elaborated ... \nExpected file prefix is ",
                                    decrypt ? "'Encrypted'" : "'Decrypted'")
                : CopiedUString<UTF8>("Elaboration successfully completed.");
    }
    ShowMessage(report, console);
    return 0;
}
