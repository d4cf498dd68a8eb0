// The directories that a run may write private keys into: only those that no untrusted account
// can change, along their whole chain, so that none can swap a file for a link mid-write.
#pragma once

#include "platform/files/file_location.h"

// The first of the absolute `directory` and its ancestors up to the root whose security
// IsTrustedDirectorySecurity refuses for the process's user; the empty location when all pass.
// The ancestors are those of the text, so a link or junction along the path is refused: the
// directories above its target are not on the chain. Raises Windows::Error with the failing
// call's code when the process's user or a directory's security cannot be read.
FileLocation FindUntrustedDirectory(const FileLocation& directory);
