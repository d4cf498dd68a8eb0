// A self-contained security descriptor whose DACL gives full access to a fixed set of
// principals, and its best-effort imposition on an existing file or directory.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/files/file_location.h"
#include "platform/security/sid_holder.h"
#include "winapi/win32.h"

namespace Windows {

// Everything the descriptor points to, in one block that lives as long as the object.
struct SecurityRecord {
    SecurityRecord() = default;
    SecurityRecord(const SecurityRecord&) = delete;
    SecurityRecord& operator=(const SecurityRecord&) = delete;
    // The DACL first, then the Local System and the Administrators SIDs.
    ~SecurityRecord();

    std::int32_t entryCount = 0;
    SidHolder administrators;
    SidHolder localSystem;
    EXPLICIT_ACCESS_W entries[3] = {};
    // Allocated by Windows.
    PACL dacl = nullptr;
    SECURITY_DESCRIPTOR descriptor = {};
};

class SecurityAttributes {
public:
    // Kind 0 grants Administrators, kind 1 also Local System, kind 2 also the current user;
    // inheritable 1 makes every entry inherited by files and directories below. Raises
    // OSFunctionalityUnavailable or Windows::Error; another kind is ERROR_INVALID_PARAMETER.
    SecurityAttributes(int kind, int inheritable);
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;
    ~SecurityAttributes();

    // Makes Administrators the owner and sets the DACL: merged into the item's present DACL,
    // or replacing it. Best effort: every failure is dropped, leaving the item as the failing
    // call left it.
    void ApplyTo(FileLocation target, bool replace) const noexcept;

    // For the creation calls; valid as long as this object.
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
    const SecurityRecord& Record() const { return *record_; }

private:
    std::unique_ptr<SecurityRecord> record_;
    SECURITY_ATTRIBUTES attributes_;
};

} // namespace Windows
