// Whether the security of a directory leaves it, and the files made in it, to trusted accounts.
#pragma once

#include "winapi/win32.h"

// Trusted are `caller`, Administrators, Local System and TrustedInstaller. The directory is
// trusted when one of them owns it and its DACL (null: none, which opens it to everyone) allows
// no other account to delete it, change its access or owner, or remove its entries, nor to
// write, delete or re-secure the files it is to hold. CREATOR OWNER and OWNER RIGHTS count as
// trusted, as they stand for the owner. Generic rights count as the file rights they map to.
// Denials are ignored: they could only narrow what the allowing entries give. An allowing
// entry of another form, which names its trustee in a way not read here, makes it untrusted.
bool IsTrustedDirectorySecurity(PSID owner, const ACL* dacl, PSID caller);
