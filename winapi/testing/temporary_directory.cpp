#include "winapi/testing/temporary_directory.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

WideString TemporaryRoot() {
#if defined(_WIN32)
    WCHAR buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    WideString root(buffer, length);
#else
    WideString root = u"Z:\\tmp\\";
#endif
    if (!root.empty() && root.back() != WIDE('\\')) {
        root += WIDE('\\');
    }
    return root;
}

WideString Widen(const std::string& text) {
    return WideString(text.begin(), text.end());
}

unsigned ProcessNumber() {
#if defined(_WIN32)
    return GetCurrentProcessId();
#else
    return static_cast<unsigned>(getpid());
#endif
}

std::filesystem::path ToFilesystemPath(const WideString& path) {
#if defined(_WIN32)
    return std::filesystem::path(std::wstring(path));
#else
    // Z:\ is the Linux root; the rest is ASCII by construction.
    std::string linux_path;
    for (WCHAR unit : WideView(path).substr(2)) {
        linux_path += unit == u'\\' ? '/' : static_cast<char>(unit);
    }
    return linux_path;
#endif
}

} // namespace

TemporaryDirectory::TemporaryDirectory() {
    static std::atomic<unsigned> counter{0};
    const WideString root = TemporaryRoot();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = root + Widen("quendra-test-" + std::to_string(ProcessNumber()) + "-" +
                             std::to_string(counter++));
        if (CreateDirectoryW(path_.c_str(), nullptr) != FALSE) {
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(ToFilesystemPath(path_), ignored);
}

WideString TemporaryDirectory::operator/(WideView name) const {
    WideString joined = path_;
    joined += WIDE('\\');
    joined += name;
    return joined;
}
