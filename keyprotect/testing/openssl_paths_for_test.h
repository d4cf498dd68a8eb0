// A fresh directory for each test whose paths both the system and OpenSSL open: OpenSSL reads
// files with the C library, which knows nothing of the Linux layer's Z: drive, so on Linux the
// texts are native paths, which the layer takes as they are.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/file_location.h"
#include "platform/files/temporary_files_for_test.h"

class OpenSSLPathsTest : public TestDirectory {
protected:
    std::string PathText(const std::string& relative) const { return Native(relative).string(); }

    FileLocation PathLocation(const std::string& relative) const {
        const std::string text = PathText(relative);
        return FileLocation(UString<UTF8>(text.data(), text.data() + text.size()));
    }

    // Writes a file at exactly the text OpenSSL is handed; on Linux a "\" in it is part of a name.
    static void WriteFileAt(const std::string& text, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(text).parent_path());
        std::ofstream(text, std::ios::binary) << content;
    }
};
