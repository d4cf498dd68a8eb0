// A fresh directory under the system's temporary path for one test, removed with its contents
// when the test ends. Under Wine the path comes from GetTempPathW; on the layer it is Z:\tmp.
#pragma once

#include "winapi/testing/wide_string.h"

class TemporaryDirectory {
public:
    TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    ~TemporaryDirectory();

    // The directory's Win32 path, without a trailing separator.
    const WideString& Path() const { return path_; }
    // The path of a name inside it.
    WideString operator/(WideView name) const;

private:
    WideString path_;
};
