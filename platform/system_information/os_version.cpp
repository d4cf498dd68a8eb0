#include "platform/system_information/os_version.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

#include "foundation/encoding/exception_pl.h"
#include "foundation/encoding/transcode.h"
#include "foundation/encoding/windows_error.h"
#include "platform/files/file_location.h"
#include "platform/system_information/file_version_info.h"
#include "platform/system_information/registry_key.h"

namespace {

constexpr std::uint32_t kUnset = 0xFFFFFFFF;
constexpr int kVistaRow = 19;
constexpr const char* kGatherFailure = "Unable to gather OSVERSIONINFOEX";

struct KnownVersion {
    const WCHAR* name;
    std::uint32_t platform;
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t servicePack;
};

// "Win95" reports minor version 1; "Win2008" and "WinVista" share one key, so 6.0 without a
// service pack takes the first name.
constexpr KnownVersion kKnownVersions[] = {
    {WIDE("Win31"), 0, 3, 1, 0},        {WIDE("Win95"), 1, 4, 1, 0},
    {WIDE("Win98"), 1, 4, 10, 0},       {WIDE("WinME"), 1, 4, 90, 0},
    {WIDE("WinNT_351"), 2, 3, 51, 0},   {WIDE("WinNT_4"), 2, 4, 0, 0},
    {WIDE("Win2000"), 2, 5, 0, 0},      {WIDE("Win2000_SP1"), 2, 5, 0, 1},
    {WIDE("Win2000_SP2"), 2, 5, 0, 2},  {WIDE("Win2000_SP3"), 2, 5, 0, 3},
    {WIDE("Win2000_SP4"), 2, 5, 0, 4},  {WIDE("WinXP"), 2, 5, 1, 0},
    {WIDE("WinXP_SP1"), 2, 5, 1, 1},    {WIDE("WinXP_SP2"), 2, 5, 1, 2},
    {WIDE("WinXP_SP3"), 2, 5, 1, 3},    {WIDE("Win2003"), 2, 5, 2, 0},
    {WIDE("Win2003_SP1"), 2, 5, 2, 1},  {WIDE("Win2003_SP2"), 2, 5, 2, 2},
    {WIDE("Win2008"), 2, 6, 0, 0},      {WIDE("WinVista"), 2, 6, 0, 0},
    {WIDE("WinVista_SP1"), 2, 6, 0, 1}, {WIDE("WinVista_SP2"), 2, 6, 0, 2},
    {WIDE("WinVista_SP3"), 2, 6, 0, 3}, {WIDE("WinVista_SP4"), 2, 6, 0, 4},
    {WIDE("Windows7"), 2, 6, 1, 0},     {WIDE("Windows8"), 2, 6, 2, 0},
    {WIDE("Windows10"), 2, 10, 0, 0},   {WIDE("Unknown"), kUnset, kUnset, kUnset, kUnset},
};

OSVersion MakeVersion(const WCHAR* name, std::uint32_t platform, std::uint32_t major,
                      std::uint32_t minor, std::uint32_t servicePack, std::uint32_t sub) {
    OSVersion version{};
    std::copy_n(name, std::char_traits<WCHAR>::length(name) + 1, version.name);
    version.platform = platform;
    version.major = major;
    version.minor = minor;
    version.servicePack = servicePack;
    version.sub = sub;
    version.key = OSVersionKey(platform, major, minor, servicePack, sub);
    return version;
}

WCHAR AsciiLower(WCHAR unit) {
    return unit >= 'A' && unit <= 'Z' ? static_cast<WCHAR>(unit + 32) : unit;
}

// The number after the first "Service Pack " in the text, compared without regard to case.
std::uint32_t ServicePackOf(const WCHAR (&csd)[128]) {
    static constexpr char kMarker[] = "service pack ";
    constexpr std::size_t kMarkerLength = sizeof(kMarker) - 1;
    const std::size_t length = std::find(csd, csd + 128, WCHAR{0}) - csd;
    for (std::size_t at = 0; at + kMarkerLength <= length; ++at) {
        if (std::equal(kMarker, kMarker + kMarkerLength, csd + at,
                       [](char marker, WCHAR unit) { return AsciiLower(unit) == marker; }))
            return static_cast<std::uint32_t>(_wtoi(csd + at + kMarkerLength));
    }
    return 0;
}

// A build number text taken as far as it reads as a number. Out of range and non-finite values
// are held to 0..65535, so that the conversion to an integer is always defined.
std::uint32_t BuildOf(const std::basic_string<WCHAR>& text) {
    const double value = wcstod(text.c_str(), nullptr);
    if (!(value > 0))
        return 0;
    return static_cast<std::uint32_t>(std::min(value, 65535.0)) & 0xFFFF;
}

std::uint32_t RevisionOf(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, WIDE("UBR"), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    size = sizeof(value);
    if (RegQueryValueExW(key, WIDE("UBR"), nullptr, &type, reinterpret_cast<LPBYTE>(&value),
                         &size) != ERROR_SUCCESS)
        return 0;
    return value & 0xFFFF;
}

RealOSVersionResult ReadRealOSVersion() {
    WCHAR directory[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH + 1);
    // A larger result is the size that a longer name would need: the buffer holds no name.
    if (length == 0 || length > MAX_PATH)
        return {};
    const FileLocation kernel32(
        FileLocation(TranscodeU16ToU8(UString<UTF16>(directory, directory + length))),
        FileName(UString<UTF8>("kernel32.dll")));
    const std::optional<VS_FIXEDFILEINFO> info = FileVersionInfo(kernel32, true);
    if (!info)
        return {};
    RealOSVersionResult result;
    result.major = info->dwProductVersionMS >> 16;
    result.minor = info->dwProductVersionMS & 0xFFFF;
    result.build = info->dwProductVersionLS >> 16;
    result.count = 4;
    RegistryKey key;
    if (OpenRegistryKey(HKEY_LOCAL_MACHINE, WIDE("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                        key, KEY_READ) != ERROR_SUCCESS)
        return result;
    if (result.major == 10 && result.minor == 0 && result.build >= 18362) {
        std::basic_string<WCHAR> build;
        if (ReadRegistryString(key.Get(), WIDE("CurrentBuildNumber"), build) == ERROR_SUCCESS)
            result.build = BuildOf(build);
    }
    result.revision = RevisionOf(key.Get());
    return result;
}

} // namespace

std::uint64_t OSVersionKey(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                           std::uint32_t servicePack, std::uint32_t sub) {
    constexpr std::uint64_t kStep = 10000;
    std::uint64_t key = platform;
    key = key * kStep + major;
    key = key * kStep + minor;
    key = key * kStep + servicePack;
    return key * kStep + sub;
}

OSVersion OSVersion::Unset() {
    return MakeVersion(WIDE("???"), kUnset, kUnset, kUnset, kUnset, kUnset);
}

OSVersionSource& OSVersionSource::Process() {
    static OSVersionSource source;
    return source;
}

const RealOSVersionResult& OSVersionSource::RealOSVersion() {
    if (!realComputed_) {
        real_ = ReadRealOSVersion();
        realComputed_ = true;
    }
    return real_;
}

const OSVERSIONINFOEXW* OSVersionSource::GetOSVersionInfoEx() {
    if (failed_)
        throw ExceptionPL(kGatherFailure);
    try {
        {
            const std::lock_guard lock(infoMutex_);
            if (!infoFilled_) {
                OSVERSIONINFOEXW info{};
                info.dwOSVersionInfoSize = sizeof(info);
                CheckWin32(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
                info_ = info;
                infoFilled_ = true;
            }
        }
        if (!patched_) {
            const RealOSVersionResult& real = RealOSVersion();
            info_.dwMajorVersion = real.count > 0 ? real.major : 0;
            info_.dwMinorVersion = real.count > 1 ? real.minor : 0;
            info_.dwBuildNumber = real.count > 2 ? real.build : 0;
            patched_ = true;
        }
    } catch (...) {
        failed_ = true;
        throw ExceptionPL(kGatherFailure);
    }
    return &info_;
}

const RealOSVersionResult& RealOSVersion() {
    return OSVersionSource::Process().RealOSVersion();
}

const OSVERSIONINFOEXW* GetOSVersionInfoEx() {
    return OSVersionSource::Process().GetOSVersionInfoEx();
}

OSVersionTable::OSVersionTable(OSVersionSource& source) : current_(OSVersion::Unset()) {
    std::fill(std::begin(rows_), std::end(rows_), current_);
    // "Unknown" alone has a sub version: every number of it is unset.
    for (const KnownVersion& known : kKnownVersions) {
        rows_[count_++] = MakeVersion(known.name, known.platform, known.major, known.minor,
                                      known.servicePack, known.servicePack == kUnset ? kUnset : 0);
    }
    DetectOSVersion(*this, source);
}

OSVersionTable& OSVersionTable::Instance() {
    static OSVersionTable table(OSVersionSource::Process());
    return table;
}

bool OSVersionTable::IsVistaOrLater() const {
    return static_cast<std::int64_t>(current_.key) >=
           static_cast<std::int64_t>(rows_[kVistaRow].key);
}

void DetectOSVersion(OSVersionTable& table, OSVersionSource& source) {
    std::uint32_t platform = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t servicePack = 0;
    std::uint8_t productType = 0;
    try {
        const OSVERSIONINFOEXW* info = source.GetOSVersionInfoEx();
        platform = info->dwPlatformId;
        const RealOSVersionResult& real = source.RealOSVersion();
        major = real.count > 0 ? real.major : 0;
        minor = real.count > 1 ? real.minor : 0;
        servicePack = ServicePackOf(info->szCSDVersion);
        productType = info->wProductType;
    } catch (...) {
        platform = major = minor = servicePack = 0;
        productType = 0;
    }
    OSVersion& current = table.current_;
    current.platform = platform;
    current.major = major;
    current.minor = minor;
    current.servicePack = servicePack;
    current.sub = 0;
    current.key = OSVersionKey(platform, major, minor, servicePack, 0);
    table.productType_ = productType;
    for (int row = 0; row < table.count_; ++row) {
        if (table.rows_[row].key == current.key) {
            std::copy(std::begin(table.rows_[row].name), std::end(table.rows_[row].name),
                      current.name);
            break;
        }
    }
}

bool IsVistaOrLater() {
    return OSVersionTable::Instance().IsVistaOrLater();
}
