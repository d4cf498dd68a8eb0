#pragma once

#include "foundation/errors/debuggable_exception.h"

namespace WindowsPlatform {

// A thread could not be started. Its texts name the class only; the C runtime's errno after the
// failed start is kept beside them.
class ThreadError : public DebuggableException {
public:
    explicit ThreadError(int errnoValue) : errno_(errnoValue) {}
    ThreadError(const ThreadError&) = default;
    ~ThreadError() override;

    int ErrnoValue() const { return errno_; }

private:
    int errno_;
};

} // namespace WindowsPlatform
