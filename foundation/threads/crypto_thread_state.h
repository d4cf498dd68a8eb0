// The crypto library keeps per-thread state that must be released before a thread ends; on a
// target built without it there is nothing to release.
#pragma once

void ReleaseCryptoThreadState() noexcept;
