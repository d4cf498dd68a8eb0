// A fresh temporary directory for each test, named both as a Win32 path for the calls tested and
// as a native path for std::filesystem, which sets up and checks independently of them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/encoding/code_pages.h"
#include "foundation/text/ustring.h"
#include "platform/files/file_location.h"
#include "winapi/testing/temporary_directory.h"

class TestDirectory : public testing::Test {
protected:
    static constexpr char kSeparator = '\\';

    void SetUp() override {
        directory_ = std::make_unique<TemporaryDirectory>();
        const WideString& path = directory_->Path();
        const CopiedUString<UTF8> text =
            WideToUtf8(UString<UTF16>(path.data(), path.data() + path.size()));
        root_.assign(text.begin(), text.end());
#if defined(_WIN32)
        native_ = std::filesystem::path(std::wstring(path));
#else
        // The layer's Z:\ is the Linux root.
        std::string linux = root_.substr(2);
        for (char& unit : linux)
            unit = unit == '\\' ? '/' : unit;
        native_ = linux;
#endif
    }

    void TearDown() override {
        std::error_code ignored;
        // Read-only files would stop the removal on Windows.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(native_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        directory_.reset();
    }

    std::filesystem::path Native(const std::string& relative) const {
        return relative.empty() ? native_ : native_ / relative;
    }

    // The location of a path below the directory; `relative` separates with "\".
    FileLocation At(const std::string& relative = "") const {
        const std::string text = relative.empty() ? root_ : root_ + kSeparator + relative;
        return FileLocation(UString<UTF8>(text.data(), text.data() + text.size()));
    }

    void MakeFile(const std::string& relative, const std::string& content) const {
        std::ofstream(Native(relative), std::ios::binary) << content;
    }

    // The sorted names in a directory, so that a stray temporary file shows.
    std::vector<std::string> Names(const std::string& relative = "") const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Native(relative)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Content(const std::string& relative) const {
        std::ifstream in(Native(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::unique_ptr<TemporaryDirectory> directory_;
    std::string root_;
    std::filesystem::path native_;
};
