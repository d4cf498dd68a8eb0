#include "foundation/encoding/charset_errors.h"

#include <memory>
#include <utility>

#include "foundation/encoding/icu_error_name.h"
#include "foundation/encoding/local_buffer.h"
#include "foundation/numbers/number_text.h"

namespace {

std::string DecimalText(std::uint32_t value) {
    const auto digits = ToDecimal32(value, 1);
    return std::string(digits.View().begin(), digits.View().end());
}

// Stores the description in `cache`; null when composing it fails.
const char* CacheDescription(const ICUResult& error, std::string& cache) noexcept {
    try {
        cache = error.Describe();
        return cache.c_str();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

ICUResult::ICUResult(std::string functionName, std::int32_t code)
    : code_(code), functionName_(std::move(functionName)) {}

const char* ICUResult::what() const noexcept {
    const char* text = CacheDescription(*this, whatText_);
    return text != nullptr ? text : DebuggableException::what();
}

UString<UTF8> ICUResult::Message() const noexcept {
    return UString<UTF8>(what());
}

bool ICUResult::Succeeded() const {
    return code_ <= 0;
}

std::int32_t ICUResult::Code() const {
    return code_;
}

std::string ICUResult::CodeName() const {
    return IcuErrorName(Code());
}

std::string ICUResult::Describe() const {
    std::string text =
        "UErrorCode=" + DecimalText(static_cast<std::uint32_t>(Code())) + " [" + CodeName() + "]";
    if (!functionName_.empty())
        text += " in " + functionName_;
    return text;
}

CharacterSetResult::CharacterSetResult(std::string functionName, std::int32_t code,
                                       std::string context, std::string detail)
    : ICUResult(std::move(functionName), code), context_(std::move(context)),
      detail_(std::move(detail)) {}

const char* CharacterSetResult::what() const noexcept {
    const char* text = CacheDescription(*this, whatText_);
    return text != nullptr ? text : DebuggableException::what();
}

std::string CharacterSetResult::Label(const char* className) const {
    std::string text = className;
    if (!context_.empty())
        text += " " + context_ + ":";
    return text;
}

std::string CharacterSetResult::Describe() const {
    std::string text = Label("CharacterSetResult:") + " " + ICUResult::Describe();
    if (!detail_.empty())
        text += " [\"" + detail_ + "\"]";
    return text;
}

WindowsCharacterSetResult::WindowsCharacterSetResult(DWORD windowsCode, const char* functionName)
    : CharacterSetResult(functionName != nullptr ? functionName : "", 0, {}, {}),
      windowsCode_(windowsCode) {}

bool WindowsCharacterSetResult::Succeeded() const {
    return windowsCode_ == 0;
}

std::int32_t WindowsCharacterSetResult::Code() const {
    return static_cast<std::int32_t>(windowsCode_);
}

std::string WindowsCharacterSetResult::CodeName() const {
    constexpr DWORD kEnglishUnitedStates = 0x0409;
    char* buffer = nullptr;
    const DWORD count = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, windowsCode_, kEnglishUnitedStates, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    const std::unique_ptr<char, LocalBufferDeleter> owned(buffer);
    return CutAtLastLineBreak(std::string(count > 0 ? buffer : "", count));
}

std::string CutAtLastLineBreak(std::string message) {
    const std::size_t lineBreak = message.rfind("\r\n");
    if (lineBreak != std::string::npos)
        message.erase(lineBreak);
    return message;
}

std::string WindowsCharacterSetResult::Describe() const {
    std::string text = Label("WindowsCharacterSetResult:") + " Error " + DecimalText(windowsCode_) +
                       " (" + CodeName() + ")";
    if (!FunctionName().empty())
        text += " in " + FunctionName();
    return text;
}
