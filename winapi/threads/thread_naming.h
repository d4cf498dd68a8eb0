#pragma once

// Tells an attached debugger the calling thread's name. g++ has no structured exception
// handlers, so the announcement lives in the layer, with one body per target.
void AnnounceThreadNameToDebugger(const char* name) noexcept;
