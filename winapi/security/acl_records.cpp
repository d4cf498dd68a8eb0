#include "winapi/security/acl_records.h"

#include <cstring>

#include "winapi/errors/errors.h"

namespace win32_layer {

namespace {

constexpr std::size_t kAceFixedPart = sizeof(ACE_HEADER) + sizeof(DWORD);
constexpr std::size_t kSidHeader = 8;

} // namespace

DWORD ReadAcl(const ACL* acl, std::vector<AceRecord>& aces) {
    aces.clear();
    if (acl == nullptr ||
        (acl->AclRevision != ACL_REVISION && acl->AclRevision != ACL_REVISION_DS) ||
        acl->AclSize < sizeof(ACL)) {
        return ERROR_INVALID_ACL;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(acl);
    std::size_t at = sizeof(ACL);
    for (WORD index = 0; index < acl->AceCount; ++index) {
        if (at + sizeof(ACE_HEADER) > acl->AclSize) {
            return ERROR_INVALID_ACL;
        }
        ACE_HEADER header{};
        std::memcpy(&header, bytes + at, sizeof header);
        if (header.AceSize < kAceFixedPart + kSidHeader || at + header.AceSize > acl->AclSize) {
            return ERROR_INVALID_ACL;
        }
        if (header.AceType != ACCESS_ALLOWED_ACE_TYPE && header.AceType != ACCESS_DENIED_ACE_TYPE) {
            return ERROR_INVALID_PARAMETER;
        }
        const BYTE* sid = bytes + at + kAceFixedPart;
        if (!IsWellFormedSid(sid) || kAceFixedPart + SidLength(sid) > header.AceSize) {
            return ERROR_INVALID_ACL;
        }
        AceRecord record;
        record.type = header.AceType;
        record.flags = header.AceFlags;
        std::memcpy(&record.mask, bytes + at + sizeof(ACE_HEADER), sizeof record.mask);
        record.sid = CopySid(sid);
        aces.push_back(std::move(record));
        at += header.AceSize;
    }
    return ERROR_SUCCESS;
}

DWORD AclSizeOf(const std::vector<AceRecord>& aces) {
    std::size_t size = sizeof(ACL);
    for (const AceRecord& ace : aces) {
        size += kAceFixedPart + ace.sid.size();
    }
    return static_cast<DWORD>(size);
}

void WriteAcl(const std::vector<AceRecord>& aces, void* at) {
    ACL header{};
    header.AclRevision = ACL_REVISION;
    header.AclSize = static_cast<WORD>(AclSizeOf(aces));
    header.AceCount = static_cast<WORD>(aces.size());
    auto* bytes = static_cast<BYTE*>(at);
    std::memcpy(bytes, &header, sizeof header);
    std::size_t offset = sizeof(ACL);
    for (const AceRecord& ace : aces) {
        const ACE_HEADER aceHeader{ace.type, ace.flags,
                                   static_cast<WORD>(kAceFixedPart + ace.sid.size())};
        std::memcpy(bytes + offset, &aceHeader, sizeof aceHeader);
        std::memcpy(bytes + offset + sizeof aceHeader, &ace.mask, sizeof ace.mask);
        std::memcpy(bytes + offset + kAceFixedPart, ace.sid.data(), ace.sid.size());
        offset += aceHeader.AceSize;
    }
}

} // namespace win32_layer
