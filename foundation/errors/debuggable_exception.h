// The root of the system's error classes. Unless a class overrides them, both texts are
// "class " followed by the qualified name of the object's most derived class.
#pragma once

#include <exception>

#include "foundation/text/ustring.h"

namespace WindowsPlatform {
class ExceptionDebuggingInfo {};
} // namespace WindowsPlatform

class DebuggableException : public std::exception, public WindowsPlatform::ExceptionDebuggingInfo {
public:
    DebuggableException() = default;
    DebuggableException(const DebuggableException&) = default;
    DebuggableException& operator=(const DebuggableException&) = delete;
    ~DebuggableException() override = default;

    const char* what() const noexcept override;
    virtual UString<UTF8> Message() const noexcept;

protected:
    // The class-name text of this object's dynamic type; kept for the life of the process.
    UString<UTF8> ClassNameText() const noexcept;
};
