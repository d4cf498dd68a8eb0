// ACLs as lists of ACEs that the layer can merge and rewrite, and back.
#pragma once

#include <vector>

#include "winapi/security/security.h"
#include "winapi/security/sid_bytes.h"

namespace win32_layer {

struct AceRecord {
    BYTE type = ACCESS_ALLOWED_ACE_TYPE;
    BYTE flags = 0;
    DWORD mask = 0;
    SidBytes sid;
};

// ERROR_SUCCESS with the ACL's ACEs; ERROR_INVALID_ACL for a malformed ACL and
// ERROR_INVALID_PARAMETER for an ACE other than allow or deny.
DWORD ReadAcl(const ACL* acl, std::vector<AceRecord>& aces);

DWORD AclSizeOf(const std::vector<AceRecord>& aces);
// Into `at`, which holds AclSizeOf(aces) bytes.
void WriteAcl(const std::vector<AceRecord>& aces, void* at);

} // namespace win32_layer
