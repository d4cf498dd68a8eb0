#include "platform/system_information/file_version_info.h"

#include <cstring>
#include <vector>

#include "platform/system_information/wow64_redirection.h"

std::optional<VS_FIXEDFILEINFO> FileVersionInfo(const FileLocation& location,
                                                bool switchOffRedirection) {
    try {
        const CopiedUString<UTF16> path = LongPathForm(location.Text(), kFilePathLimit);
        std::vector<BYTE> block;
        bool read = false;
        {
            Wow64FsRedirectionGuard redirection(switchOffRedirection);
            DWORD handle = 0;
            const DWORD size =
                GetFileVersionInfoSizeExW(FILE_VER_GET_NEUTRAL, path.begin(), &handle);
            if (size != 0) {
                block.resize(size);
                read = GetFileVersionInfoExW(FILE_VER_GET_NEUTRAL, path.begin(), 0, size,
                                             block.data()) != FALSE;
            }
        }
        LPVOID value = nullptr;
        UINT length = 0;
        if (!read || !VerQueryValueW(block.data(), WIDE("\\"), &value, &length) ||
            length != sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, value, sizeof(info));
        return info;
    } catch (...) {
        return std::nullopt;
    }
}
