// SIDs, access-control lists, security descriptors, the named-object security calls and the
// process token's privileges. SIDs and ACLs are Windows-format bytes, so their arithmetic is the
// Windows one.
//
// On the Linux layer:
// - users and groups are SIDs as follows, both ways: uid N is S-1-22-1-N, gid N is S-1-22-2-N;
//   Everyone is S-1-1-0. BUILTIN\Administrators (S-1-5-32-544) and Local System (S-1-5-18)
//   stand for root: as an owner to set they are uid 0, in an ACE they add no mode bit, since
//   root has every access anyway. A file owned by root reports the owner Administrators, and
//   its owner's rights under OWNER RIGHTS (S-1-3-4), which in a DACL to set names the owner
//   class of any owner; the token's user is the effective uid's SID;
// - CreateWellKnownSid knows Everyone, Local System and Administrators only (others: 87), and
//   the trustee name "CURRENT_USER" is the effective uid (other names: 1332);
// - SetEntriesInAclW supports GRANT_ACCESS, SET_ACCESS, DENY_ACCESS and REVOKE_ACCESS on
//   trustees given by SID or by that name, one trustee per entry (anything else: 87). The new
//   ACL holds the explicit deny ACEs, then the explicit allow ACEs, then the inherited ones;
//   allow ACEs of one trustee with the same flags become one ACE;
// - a file's DACL is its mode bits: the ACEs read back are the owner's, the owning group's and
//   Everyone's rights (a class without rights has no ACE). A DACL set on a file gives the owner
//   bits from its ACEs for the owner (the one the same call sets, when it sets one), the group
//   bits from those for the owning group, the other bits from those for Everyone; a deny ACE
//   takes its bits from its class, and a deny for Everyone from all three. Rights map to bits
//   as: GENERIC_ALL, or every bit of FILE_ALL_ACCESS, gives rwx; GENERIC_READ or FILE_READ_DATA
//   gives r; GENERIC_WRITE, FILE_WRITE_DATA or FILE_APPEND_DATA gives w; GENERIC_EXECUTE or
//   FILE_EXECUTE gives x. Read back, r is FILE_GENERIC_READ, w FILE_GENERIC_WRITE, x
//   FILE_GENERIC_EXECUTE, rwx FILE_ALL_ACCESS. On a directory, write also gives
//   FILE_DELETE_CHILD, except to the group and other classes under the sticky bit, and their
//   rwx is read, write and execute only: DELETE, WRITE_DAC and WRITE_OWNER are the owner's
//   alone. Directories are made with mode 0755, narrowed by the umask. An ACE that mode bits cannot
//   express (another user or group, a deny for root) and a null DACL, which would open the file to
//   everyone, are refused with 87 before anything changes; so is a SACL;
// - setting the owner is chown: refused, it fails with 1307, and nothing changes. Changing the
//   owner or group drops the set-user-ID and set-group-ID bits;
// - the process token holds SeTakeOwnershipPrivilege exactly when the thread's effective
//   capabilities include CAP_CHOWN; enabling it changes nothing, and without the capability
//   AdjustTokenPrivileges returns TRUE with the last error 1300. It takes no previous-state
//   buffer (87). Only the current process has a token, and GetTokenInformation tells only its
//   user (another class: 87).
#pragma once

#include "winapi/base/types.h"

using PVOID = void*;
using PHANDLE = HANDLE*;
using PDWORD = DWORD*;

// Access rights.
inline constexpr DWORD GENERIC_EXECUTE = 0x20000000;
inline constexpr DWORD GENERIC_ALL = 0x10000000;
inline constexpr DWORD DELETE = 0x00010000;
inline constexpr DWORD WRITE_DAC = 0x00040000;
inline constexpr DWORD WRITE_OWNER = 0x00080000;
inline constexpr DWORD FILE_READ_DATA = 0x0001;
inline constexpr DWORD FILE_WRITE_DATA = 0x0002;
inline constexpr DWORD FILE_APPEND_DATA = 0x0004;
inline constexpr DWORD FILE_WRITE_EA = 0x0010;
inline constexpr DWORD FILE_EXECUTE = 0x0020;
inline constexpr DWORD FILE_DELETE_CHILD = 0x0040;
inline constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;
inline constexpr DWORD FILE_ALL_ACCESS = 0x001F01FF;
inline constexpr DWORD FILE_GENERIC_READ = 0x00120089;
inline constexpr DWORD FILE_GENERIC_WRITE = 0x00120116;
inline constexpr DWORD FILE_GENERIC_EXECUTE = 0x001200A0;

struct GENERIC_MAPPING {
    DWORD GenericRead;
    DWORD GenericWrite;
    DWORD GenericExecute;
    DWORD GenericAll;
};
using PGENERIC_MAPPING = GENERIC_MAPPING*;

// Replaces the generic rights in `mask` with the specific rights they stand for.
void MapGenericMask(PDWORD mask, PGENERIC_MAPPING mapping);

// SIDs.
using PSID = PVOID;

struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};
using PSID_IDENTIFIER_AUTHORITY = SID_IDENTIFIER_AUTHORITY*;

struct SID {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    DWORD SubAuthority[1];
};

inline constexpr BYTE SID_REVISION = 1;
inline constexpr BYTE SID_MAX_SUB_AUTHORITIES = 15;
inline constexpr DWORD SECURITY_MAX_SID_SIZE = 68;

enum WELL_KNOWN_SID_TYPE {
    WinNullSid = 0,
    WinWorldSid = 1,
    WinLocalSid = 2,
    WinLocalSystemSid = 22,
    WinBuiltinAdministratorsSid = 26,
};

BOOL CreateWellKnownSid(WELL_KNOWN_SID_TYPE type, PSID domain, PSID sid, DWORD* size);
BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0,
                              DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                              DWORD sub6, DWORD sub7, PSID* sid);
// Only for SIDs from AllocateAndInitializeSid; returns null.
PVOID FreeSid(PSID sid);
BOOL IsValidSid(PSID sid);
DWORD GetLengthSid(PSID sid);
BOOL EqualSid(PSID first, PSID second);

// Access-control lists.
struct ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
};
using PACL = ACL*;

struct ACE_HEADER {
    BYTE AceType;
    BYTE AceFlags;
    WORD AceSize;
};

struct ACCESS_ALLOWED_ACE {
    ACE_HEADER Header;
    DWORD Mask;
    DWORD SidStart;
};
struct ACCESS_DENIED_ACE {
    ACE_HEADER Header;
    DWORD Mask;
    DWORD SidStart;
};

inline constexpr BYTE ACL_REVISION = 2;
inline constexpr BYTE ACL_REVISION_DS = 4;
inline constexpr BYTE ACCESS_ALLOWED_ACE_TYPE = 0;
inline constexpr BYTE ACCESS_DENIED_ACE_TYPE = 1;
inline constexpr BYTE ACCESS_ALLOWED_COMPOUND_ACE_TYPE = 4;
inline constexpr BYTE ACCESS_ALLOWED_OBJECT_ACE_TYPE = 5;
inline constexpr BYTE ACCESS_ALLOWED_CALLBACK_ACE_TYPE = 9;
inline constexpr BYTE ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE = 11;
inline constexpr BYTE SYSTEM_MANDATORY_LABEL_ACE_TYPE = 0x11;

inline constexpr BYTE OBJECT_INHERIT_ACE = 0x1;
inline constexpr BYTE CONTAINER_INHERIT_ACE = 0x2;
inline constexpr BYTE NO_PROPAGATE_INHERIT_ACE = 0x4;
inline constexpr BYTE INHERIT_ONLY_ACE = 0x8;
inline constexpr BYTE INHERITED_ACE = 0x10;

inline constexpr DWORD NO_INHERITANCE = 0x0;

BOOL GetAce(PACL acl, DWORD index, LPVOID* ace);
// An empty ACL of `size` bytes, revision ACL_REVISION or ACL_REVISION_DS.
BOOL InitializeAcl(PACL acl, DWORD size, DWORD revision);
inline constexpr DWORD MAXDWORD = 0xFFFFFFFF;
// These append to the ACL, whose revision must be at least `revision`; an ACE that does not fit
// fails with ERROR_ALLOTTED_SPACE_EXCEEDED. AddAce takes ACEs of any type, appended only (a
// `startIndex` other than MAXDWORD or the ACE count: 87).
BOOL AddAccessAllowedAceEx(PACL acl, DWORD revision, DWORD flags, DWORD mask, PSID sid);
BOOL AddAccessDeniedAceEx(PACL acl, DWORD revision, DWORD flags, DWORD mask, PSID sid);
BOOL AddAce(PACL acl, DWORD revision, DWORD startIndex, LPVOID aceList, DWORD length);

enum ACCESS_MODE {
    NOT_USED_ACCESS = 0,
    GRANT_ACCESS = 1,
    SET_ACCESS = 2,
    DENY_ACCESS = 3,
    REVOKE_ACCESS = 4,
    SET_AUDIT_SUCCESS = 5,
    SET_AUDIT_FAILURE = 6,
};

enum MULTIPLE_TRUSTEE_OPERATION {
    NO_MULTIPLE_TRUSTEE = 0,
    TRUSTEE_IS_IMPERSONATE = 1,
};

enum TRUSTEE_FORM {
    TRUSTEE_IS_SID = 0,
    TRUSTEE_IS_NAME = 1,
    TRUSTEE_BAD_FORM = 2,
    TRUSTEE_IS_OBJECTS_AND_SID = 3,
    TRUSTEE_IS_OBJECTS_AND_NAME = 4,
};

enum TRUSTEE_TYPE {
    TRUSTEE_IS_UNKNOWN = 0,
    TRUSTEE_IS_USER = 1,
    TRUSTEE_IS_GROUP = 2,
    TRUSTEE_IS_DOMAIN = 3,
    TRUSTEE_IS_ALIAS = 4,
    TRUSTEE_IS_WELL_KNOWN_GROUP = 5,
    TRUSTEE_IS_DELETED = 6,
    TRUSTEE_IS_INVALID = 7,
    TRUSTEE_IS_COMPUTER = 8,
};

struct TRUSTEE_W {
    TRUSTEE_W* pMultipleTrustee;
    MULTIPLE_TRUSTEE_OPERATION MultipleTrusteeOperation;
    TRUSTEE_FORM TrusteeForm;
    TRUSTEE_TYPE TrusteeType;
    LPWSTR ptstrName;
};

struct EXPLICIT_ACCESS_W {
    DWORD grfAccessPermissions;
    ACCESS_MODE grfAccessMode;
    DWORD grfInheritance;
    TRUSTEE_W Trustee;
};
using PEXPLICIT_ACCESS_W = EXPLICIT_ACCESS_W*;

// Returns a status code; the new ACL is freed with LocalFree.
DWORD SetEntriesInAclW(ULONG count, PEXPLICIT_ACCESS_W entries, PACL oldAcl, PACL* newAcl);

// Security descriptors.
using PSECURITY_DESCRIPTOR = PVOID;
using SECURITY_DESCRIPTOR_CONTROL = WORD;

// The absolute form, whose parts live elsewhere.
struct SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    PSID Owner;
    PSID Group;
    PACL Sacl;
    PACL Dacl;
};

// The self-relative form, one block with its parts at offsets from its start.
struct SECURITY_DESCRIPTOR_RELATIVE {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    DWORD Owner;
    DWORD Group;
    DWORD Sacl;
    DWORD Dacl;
};

inline constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
inline constexpr SECURITY_DESCRIPTOR_CONTROL SE_DACL_PRESENT = 0x0004;
inline constexpr SECURITY_DESCRIPTOR_CONTROL SE_DACL_DEFAULTED = 0x0008;
inline constexpr SECURITY_DESCRIPTOR_CONTROL SE_SELF_RELATIVE = 0x8000;

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl,
                               BOOL defaulted);

// Security of named objects: files and directories only.
enum SE_OBJECT_TYPE {
    SE_UNKNOWN_OBJECT_TYPE = 0,
    SE_FILE_OBJECT = 1,
};

using SECURITY_INFORMATION = DWORD;
inline constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x1;
inline constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x2;
inline constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x4;
inline constexpr SECURITY_INFORMATION SACL_SECURITY_INFORMATION = 0x8;

// Returns a status code. The descriptor is self-relative, freed with LocalFree, and the owner,
// group and DACL handed out point into it; it is required when any of them is asked for.
DWORD GetNamedSecurityInfoW(LPCWSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                            PSID* owner, PSID* group, PACL* dacl, PACL* sacl,
                            PSECURITY_DESCRIPTOR* descriptor);
DWORD SetNamedSecurityInfoW(LPWSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information,
                            PSID owner, PSID group, PACL dacl, PACL sacl);

// Tokens and privileges.
inline constexpr DWORD TOKEN_QUERY = 0x0008;
inline constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;

inline constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};
using PLUID = LUID*;

struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};
using PTOKEN_PRIVILEGES = TOKEN_PRIVILEGES*;

enum TOKEN_INFORMATION_CLASS {
    TokenUser = 1,
};

struct SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
};

// The SID it points to follows it in the same buffer.
struct TOKEN_USER {
    SID_AND_ATTRIBUTES User;
};

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
// Needs TOKEN_QUERY. A buffer shorter than the result fails with ERROR_INSUFFICIENT_BUFFER and
// `returnLength` set to the size needed.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information,
                         DWORD length, PDWORD returnLength);
BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid);
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           PDWORD returnLength);

static_assert(sizeof(SID) == 12 && sizeof(ACL) == 8 && sizeof(ACCESS_ALLOWED_ACE) == 12);
static_assert(sizeof(TRUSTEE_W) == 32 && sizeof(EXPLICIT_ACCESS_W) == 48);
static_assert(sizeof(SECURITY_DESCRIPTOR) == 40 && sizeof(SECURITY_DESCRIPTOR_RELATIVE) == 20);
static_assert(sizeof(LUID_AND_ATTRIBUTES) == 12 && sizeof(TOKEN_PRIVILEGES) == 16);
static_assert(sizeof(TOKEN_USER) == 16);
