#include "winapi/system_information/windows_identity.h"

#include <utility>

#include "winapi/errors/errors.h"
#include "winapi/files/paths.h"
#include "winapi/system_information/system_information_for_test.h"

namespace win32_layer {

IdentityAccess::Shared& IdentityAccess::TheShared() {
    static Shared shared;
    return shared;
}

IdentityAccess::IdentityAccess() : lock_(TheShared().mutex), identity_(TheShared().identity) {}

std::u16string FoldRegistryName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& unit : folded) {
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit + 32);
        }
    }
    return folded;
}

void SeedVersionInformation(const OSVERSIONINFOEXW& information) {
    IdentityAccess()->version = information;
}

void SeedSystemDirectory(std::u16string directory) {
    IdentityAccess()->systemDirectory = std::move(directory);
}

bool SeedVersionResource(const std::u16string& fileName, std::vector<BYTE> rootValue) {
    std::string path;
    if (ToLinuxPath(fileName.c_str(), path) != ERROR_SUCCESS) {
        return false;
    }
    IdentityAccess()->versionResources[path] = std::move(rootValue);
    return true;
}

void SeedRegistryKey(const std::u16string& subKey) {
    IdentityAccess access;
    const std::u16string folded = FoldRegistryName(subKey);
    for (std::size_t end = folded.find(u'\\'); end != std::u16string::npos;
         end = folded.find(u'\\', end + 1)) {
        access->registry[folded.substr(0, end)];
    }
    access->registry[folded];
}

void SeedRegistryValue(const std::u16string& subKey, const std::u16string& name, DWORD type,
                       std::vector<BYTE> data) {
    SeedRegistryKey(subKey);
    IdentityAccess()->registry[FoldRegistryName(subKey)][FoldRegistryName(name)] = {
        type, std::move(data)};
}

void ForgetWindowsIdentity() {
    *IdentityAccess() = WindowsIdentity{};
}

} // namespace win32_layer
