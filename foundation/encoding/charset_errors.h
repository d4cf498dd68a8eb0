// Errors of the Unicode operations: an ICU status or a Windows conversion error, with the name
// of the failing function, described on one line.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/errors/debuggable_exception.h"
#include "foundation/text/lifetime_bound.h"
#include "winapi/win32.h"

// An ICU status: 0 is success, negative values are warnings, positive values failures.
class ICUResult : public DebuggableException {
public:
    explicit ICUResult(std::string functionName, std::int32_t code = 0);
    ICUResult(const ICUResult&) = default;
    ~ICUResult() override = default;

    // Describe(), kept until the next call; the class-name text if composing it fails.
    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override;

    virtual bool Succeeded() const;
    virtual std::int32_t Code() const;
    virtual std::string CodeName() const;
    // "UErrorCode={code} [{name}]", then " in {function}" when the function is known.
    virtual std::string Describe() const;

    const std::string& FunctionName() const { return functionName_; }

private:
    std::int32_t code_;
    std::string functionName_;
    mutable std::string whatText_;
};

class CharacterSetResult : public ICUResult {
public:
    CharacterSetResult(std::string functionName, std::int32_t code, std::string context,
                       std::string detail);
    CharacterSetResult(const CharacterSetResult&) = default;
    ~CharacterSetResult() override = default;

    // Shared with WindowsCharacterSetResult; fills this class's own cache.
    const char* what() const noexcept QUENDRA_LIFETIME_BOUND override;
    // "CharacterSetResult:[ {context}:] {ICUResult::Describe}[ ["{detail}"]]"
    std::string Describe() const override;

protected:
    // The class label followed by " {context}:" when there is a context.
    std::string Label(const char* className) const;

private:
    std::string context_;
    std::string detail_;
    mutable std::string whatText_;
};

// A failed Windows conversion; its ICU code is always 0.
class WindowsCharacterSetResult : public CharacterSetResult {
public:
    WindowsCharacterSetResult(DWORD windowsCode, const char* functionName);
    WindowsCharacterSetResult(const WindowsCharacterSetResult&) = default;
    ~WindowsCharacterSetResult() override = default;

    bool Succeeded() const override;
    std::int32_t Code() const override;
    // The system's English message for the code without its final line break, in the ANSI code
    // page; empty when the system has none.
    std::string CodeName() const override;
    // "WindowsCharacterSetResult: Error {code} ({name})", then " in {function}".
    std::string Describe() const override;

private:
    DWORD windowsCode_;
};

// A system message as CodeName shows it: cut at the start of its last CR LF, the line break that
// ends system messages, so the line breaks of a message of several lines stay.
std::string CutAtLastLineBreak(std::string message);
