// The machine key behind the layer's data protection: where it lives, how it is read and made.
#pragma once

#include <cstddef>
#include <string>

#include "winapi/base/types.h"

namespace win32_layer {

inline constexpr std::size_t kMachineKeyBytes = 32;
inline constexpr std::size_t kMachineKeyIdentifierBytes = 8;
inline constexpr char kDefaultMachineKeyPath[] = "/var/lib/quendra/machine-key";
inline constexpr char kMachineKeyPathVariable[] = "QUENDRA_LAYER_MACHINE_KEY";

// Cleansed when it ends, so that no copy of the key outlives its use.
struct MachineKey {
    MachineKey() = default;
    MachineKey(const MachineKey&) = delete;
    MachineKey& operator=(const MachineKey&) = delete;
    ~MachineKey();

    unsigned char bytes[kMachineKeyBytes] = {};
};

// The key file's path: the variable's value when it is set, else the default. A process with
// raised privileges (set-user-ID, say) ignores the variable, so that its caller cannot choose the
// key.
std::string MachineKeyPath();

// How a missing key file is first written. The layer takes a named temporary file by itself where
// the file system offers no unnamed ones; tests choose it to reach that path.
enum class KeyFileCreation { Unnamed, NamedTemporary };

// ERROR_SUCCESS with the key; without `createMissing` a missing key is NTE_BAD_KEYSET. A path
// that is relative or has "." or ".." components is ERROR_INVALID_NAME.
DWORD LoadMachineKey(MachineKey& key, bool createMissing,
                     KeyFileCreation creation = KeyFileCreation::Unnamed);

// Names a key without revealing it, so that a blob of another key is told from a damaged one.
// False only when libcrypto fails.
bool IdentifyMachineKey(const MachineKey& key,
                        unsigned char (&identifier)[kMachineKeyIdentifierBytes]);

} // namespace win32_layer
