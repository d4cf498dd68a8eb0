// The process token: its user, and its one privilege, which stands for the capability to change
// owners.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "winapi/errors/errors.h"
#include "winapi/internal/handle_table.h"
#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

namespace win32_layer {

class Token final : public KernelObject {
public:
    explicit Token(DWORD access) : access_(access) {}
    DWORD Access() const { return access_; }

private:
    DWORD access_;
};

} // namespace win32_layer

namespace {

// The value Windows gives this privilege on every system.
constexpr LUID kTakeOwnership = {9, 0};

// Privilege names match without regard to ASCII case, as on Windows.
bool IsTakeOwnershipName(std::u16string_view name) {
    std::u16string lower(name);
    for (char16_t& unit : lower) {
        unit = unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
    }
    return lower == u"setakeownershipprivilege";
}

// The effective set of the calling thread, which is the one whose calls are checked.
bool MayChangeOwners() {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    return (data[CAP_TO_INDEX(CAP_CHOWN)].effective & CAP_TO_MASK(CAP_CHOWN)) != 0;
}

} // namespace

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    if (token == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (win32_layer::FindHandleOf<win32_layer::CurrentProcess>(process) == nullptr) {
        return FALSE;
    }
    try {
        HANDLE handle = win32_layer::AddHandle(std::make_shared<win32_layer::Token>(access));
        if (handle == nullptr) {
            return FALSE;
        }
        *token = handle;
        return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
    // Only the local system has privileges to look up.
    if ((systemName != nullptr && systemName[0] != u'\0') || name == nullptr || luid == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsTakeOwnershipName(name)) {
        SetLastError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    *luid = kTakeOwnership;
    return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD,
                           PTOKEN_PRIVILEGES previousState, PDWORD) {
    const auto object = win32_layer::FindHandleOf<win32_layer::Token>(token);
    if (object == nullptr) {
        return FALSE;
    }
    if ((object->Access() & TOKEN_ADJUST_PRIVILEGES) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (previousState != nullptr || (!disableAll && newState == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool allAssigned = true;
    if (!disableAll) {
        const bool held = MayChangeOwners();
        for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
            const LUID& luid = newState->Privileges[i].Luid;
            if (luid.LowPart != kTakeOwnership.LowPart ||
                luid.HighPart != kTakeOwnership.HighPart || !held) {
                allAssigned = false;
            }
        }
    }
    // Success with a code: the call worked, yet the token lacks a privilege it was to change.
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information,
                         DWORD length, PDWORD returnLength) {
    const auto object = win32_layer::FindHandleOf<win32_layer::Token>(token);
    if (object == nullptr) {
        return FALSE;
    }
    if ((object->Access() & TOKEN_QUERY) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (type != TokenUser || returnLength == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        const win32_layer::SidBytes sid = win32_layer::UserSid(geteuid());
        const DWORD size = static_cast<DWORD>(sizeof(TOKEN_USER) + sid.size());
        *returnLength = size;
        if (information == nullptr || length < size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        BYTE* sidCopy = static_cast<BYTE*>(information) + sizeof(TOKEN_USER);
        std::memcpy(sidCopy, sid.data(), sid.size());
        static_cast<TOKEN_USER*>(information)->User = {sidCopy, 0};
        return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
