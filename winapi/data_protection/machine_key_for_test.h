// Sealing in tests without touching the computer's own machine key. On the Linux layer each
// object points the layer at a key of its own in a fresh directory, made by the first sealing,
// and puts the previous choice back when it ends; Windows keeps its own key.
#pragma once

#if !defined(_WIN32)
#include <cstdlib>
#include <optional>
#include <string>

#include "winapi/data_protection/machine_key.h"
#include "winapi/testing/temporary_directory.h"
#endif

class TestMachineKey {
public:
#if defined(_WIN32)
    TestMachineKey() = default;
#else
    TestMachineKey()
        : directory_(LinuxPath(scratch_.Path()) + "/keys"), file_(directory_ + "/machine-key") {
        if (const char* previous = std::getenv(win32_layer::kMachineKeyPathVariable)) {
            previous_ = previous;
        }
        setenv(win32_layer::kMachineKeyPathVariable, file_.c_str(), 1);
    }
    ~TestMachineKey() {
        if (previous_) {
            setenv(win32_layer::kMachineKeyPathVariable, previous_->c_str(), 1);
        } else {
            unsetenv(win32_layer::kMachineKeyPathVariable);
        }
    }

    // The Linux paths of the key's directory and file, which the first sealing creates.
    const std::string& Directory() const {
        return directory_;
    }
    const std::string& File() const {
        return file_;
    }
    // Chooses this object's key again, after another object chose its own.
    void Select() const {
        setenv(win32_layer::kMachineKeyPathVariable, file_.c_str(), 1);
    }

private:
    // The scratch directories are on Z:, the Linux root, and ASCII.
    static std::string LinuxPath(const WideString& name) {
        std::string path;
        for (WCHAR unit : WideView(name).substr(2)) {
            path += unit == u'\\' ? '/' : static_cast<char>(unit);
        }
        return path;
    }

    TemporaryDirectory scratch_;
    std::string directory_;
    std::string file_;
    std::optional<std::string> previous_;
#endif
    TestMachineKey(const TestMachineKey&) = delete;
    TestMachineKey& operator=(const TestMachineKey&) = delete;
};
