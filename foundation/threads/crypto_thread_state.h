// The crypto library keeps per-thread state that must be released before a thread ends.
#pragma once

void ReleaseCryptoThreadState() noexcept;
