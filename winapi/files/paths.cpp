#include "winapi/files/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "winapi/errors/errors.h"
#include "winapi/files/files.h"
#include "winapi/internal/utf_conversions.h"

namespace win32_layer {

namespace {

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsRefusedInName(char unit) {
    const auto byte = static_cast<unsigned char>(unit);
    if (byte < 0x20) {
        return true;
    }
    return std::string_view("<>\"|?*:").find(unit) != std::string_view::npos;
}

std::string Utf8Of(std::u16string_view units, bool& ok) {
    CodeUnitOutput<char> counter(nullptr, 0);
    ok = Utf16ToUtf8({units.data(), units.size()}, true, counter);
    if (!ok) {
        return {};
    }
    std::string text(counter.Count(), '\0');
    CodeUnitOutput<char> output(text.data(), text.size());
    Utf16ToUtf8({units.data(), units.size()}, true, output);
    return text;
}

} // namespace

DWORD ToLinuxPath(LPCWSTR name, std::string& linuxPath) {
    if (name == nullptr || name[0] == u'\0') {
        return ERROR_PATH_NOT_FOUND;
    }
    std::u16string_view path(name);
    bool lexical = true;
    if (path.size() >= 4 && path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' &&
        path[3] == u'\\') {
        path.remove_prefix(4);
        if (path.size() >= 4 && path.substr(0, 3) == u"UNC" && IsSeparator(path[3])) {
            return ERROR_BAD_NETPATH;
        }
        // A prefixed name is taken as it stands, with no length limit.
        lexical = false;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return ERROR_BAD_NETPATH;
    } else if (path.size() >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }

    bool absolute = false;
    if (path.size() >= 2 && path[1] == u':' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'))) {
        if (path[0] != u'Z' && path[0] != u'z') {
            return ERROR_PATH_NOT_FOUND;
        }
        // Z: is the Linux root and the only drive, so "Z:name" starts there too.
        path.remove_prefix(2);
        absolute = true;
    } else if (!lexical) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (!path.empty() && IsSeparator(path[0])) {
        absolute = true;
    }

    bool ok = false;
    const std::string text = Utf8Of(path, ok);
    if (!ok) {
        return ERROR_INVALID_NAME;
    }

    std::vector<std::string> components;
    if (!absolute) {
        std::string current(256, '\0');
        while (getcwd(current.data(), current.size()) == nullptr) {
            if (errno != ERANGE) {
                return Win32ErrorFromErrno(errno);
            }
            current.resize(current.size() * 2);
        }
        current.resize(current.find('\0'));
        std::size_t start = 1;
        while (start < current.size()) {
            const std::size_t end = current.find('/', start);
            const std::size_t stop = end == std::string::npos ? current.size() : end;
            components.push_back(current.substr(start, stop - start));
            start = stop + 1;
        }
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find_first_of("\\/", start);
        if (stop == std::string::npos) {
            stop = text.size();
        }
        std::string component = text.substr(start, stop - start);
        start = stop + 1;
        if (component.empty()) {
            continue;
        }
        if (lexical && component == ".") {
            continue;
        }
        if (lexical && component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
            continue;
        }
        for (char unit : component) {
            if (IsRefusedInName(unit)) {
                return ERROR_INVALID_NAME;
            }
        }
        components.push_back(std::move(component));
    }
    linuxPath.clear();
    for (const std::string& component : components) {
        linuxPath += '/';
        linuxPath += component;
    }
    if (linuxPath.empty()) {
        linuxPath.push_back('/');
    }
    return ERROR_SUCCESS;
}

std::string ParentOf(const std::string& linuxPath) {
    const std::size_t slash = linuxPath.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : linuxPath.substr(0, slash);
}

DWORD MissingPathError(const std::string& linuxPath) {
    struct stat status {};
    if (stat(ParentOf(linuxPath).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

DWORD PathErrorFromErrno(int error, const std::string& linuxPath) {
    if (error == ENOENT || error == ENOTDIR) {
        return MissingPathError(linuxPath);
    }
    return Win32ErrorFromErrno(error);
}

} // namespace win32_layer
