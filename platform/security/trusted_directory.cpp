#include "platform/security/trusted_directory.h"

#include <memory>
#include <vector>

#include "foundation/encoding/local_buffer.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/text/string_builder.h"
#include "platform/security/trusted_directory_security.h"

namespace {

struct TokenCloser {
    void operator()(HANDLE token) const noexcept { CloseHandle(token); }
};

// The TOKEN_USER of the process, with the SID it points to.
std::vector<BYTE> ProcessUser() {
    HANDLE token = nullptr;
    CheckWin32(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    const std::unique_ptr<void, TokenCloser> held(token);
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, nullptr, 0, &size) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        ThrowFailedCall();
    }
    std::vector<BYTE> user(size);
    CheckWin32(GetTokenInformation(token, TokenUser, user.data(), size, &size));
    return user;
}

// A drive's root needs its separator: the drive alone names its current directory.
CopiedUString<UTF16> SecurityName(const FileLocation& directory) {
    const PathAnalysis analysis = AnalyzePath(directory.Text());
    if (analysis.hasDrive && analysis.isRoot) {
        return LongPathForm(Concatenate<UTF8>(directory.Text(), UString<UTF8>("\\")),
                            kFilePathLimit);
    }
    return LongPathForm(directory.Text(), kFilePathLimit);
}

bool IsTrustedDirectory(const FileLocation& directory, PSID caller) {
    const CopiedUString<UTF16> name = SecurityName(directory);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ThrowWindowsError(GetNamedSecurityInfoW(name.begin(), SE_FILE_OBJECT,
                                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                            &owner, nullptr, &dacl, nullptr, &descriptor));
    const std::unique_ptr<void, LocalBufferDeleter> held(descriptor);
    return IsTrustedDirectorySecurity(owner, dacl, caller);
}

} // namespace

FileLocation FindUntrustedDirectory(const FileLocation& directory) {
    const std::vector<BYTE> user = ProcessUser();
    const PSID caller = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    for (FileLocation current(directory);; current = current.Parent()) {
        // A link is judged by where it leads, and the directories above its target are not on
        // this chain: one of them could be another account's.
        const DWORD attributes = current.GetAttributes();
        const bool isLink = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (isLink || !IsTrustedDirectory(current, caller)) {
            return current;
        }
        if (current.IsRoot()) {
            return FileLocation();
        }
    }
}
