#include "tool/conversion_run.h"

#include "foundation/text/string_builder.h"
#include "keyprotect/codec/key_file_codec.h"
#include "keyprotect/keys/private_key_reading.h"
#include "keyprotect/openssl/openssl_startup.h"
#include "platform/files/file_location.h"
#include "platform/security/trusted_directory.h"
#include "tool/conversion_plan.h"
#include "tool/exception_description.h"
#include "tool/exit_codes.h"
#include "tool/options.h"
#include "tool/user_messages.h"
#include "winapi/win32.h"

namespace {

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

bool SiteKeyProven() {
    try {
        const FileLocation siteKeyLocation(GetOption("sitepvklocation", ""));
        const PasswordCopy password(GetOption("sitepvkpassword", ""));
        ReadPrivateKeyFile(siteKeyLocation, password.View());
        return true;
    } catch (...) {
        return false;
    }
}

// The output's directory exists afterwards, and no other account can change its chain.
bool PrepareOutputDirectory(const FileLocation& dirOut, bool console) {
    dirOut.CreateDirectories();
    // Another account that may rename entries there could swap a key's temporary file for a
    // link between the steps that write it.
    const FileLocation untrusted = FindUntrustedDirectory(dirOut);
    if (untrusted.IsEmpty())
        return true;
    ShowMessage(CopiedUString<UTF8>("The directory in output can be changed by other accounts: '") +
                    untrusted.Text() + "'",
                console);
    return false;
}

} // namespace

std::uint32_t RunKeyConversion(bool console) {
    try {
        InitializeOpenSSL(false);
    } catch (...) {
        const std::uint32_t code = CurrentFailureExitCode();
        ShowMessage(Quoted("Error initializing openssl : ", DescribeCurrentException()), console);
        return code;
    }

    if (!HasOption("sitepvklocation") || !HasOption("sitepvkpassword")) {
        ShowMessage("You must specify sitePvkLocation and sitePvkPassword.", console);
        return kRefusedExitCode;
    }
    if (!SiteKeyProven()) {
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

    const ConversionPlan plan = PlanConversion(dirIn, dirOut, decrypt);
    if (!plan.conversions.empty() && !PrepareOutputDirectory(dirOut, console))
        return kRefusedExitCode;
    for (const auto& [in, out] : plan.conversions) {
        LogDebug(CopiedUString<UTF8>("Elaborating key='") + in.Text() + "'");
        try {
            const PrivateKeyHolder key = ReadKeyFile(in, decrypt);
            WriteKeyFile(key.Get(), out, !decrypt);
        } catch (...) {
            const std::uint32_t code = CurrentFailureExitCode();
            ShowMessage(Quoted(CopiedUString<UTF8>("Error elaborating key '") + in.Text() + "' : ",
                               DescribeCurrentException()),
                        console);
            return code;
        }
    }

    ShowMessage(FinalMessage(plan, dirIn.GetAttributes() != INVALID_FILE_ATTRIBUTES, decrypt),
                console);
    return 0;
}
