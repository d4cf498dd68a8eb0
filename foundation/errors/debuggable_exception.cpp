#include "foundation/errors/debuggable_exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>

namespace {

std::string DemangledName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    if (status == -1)
        throw std::bad_alloc();
    return name ? std::string(name.get()) : std::string(type.name());
}

struct ClassNameTexts {
    std::mutex mutex;
    std::map<std::type_index, std::unique_ptr<std::string>> texts;
};

const std::string* ClassNameFor(const std::type_info& type) noexcept {
    try {
        // Never destroyed, so that texts handed out stay valid during static destruction too.
        static ClassNameTexts* names = new ClassNameTexts;
        std::lock_guard<std::mutex> lock(names->mutex);
        std::unique_ptr<std::string>& text = names->texts[std::type_index(type)];
        if (!text)
            text = std::make_unique<std::string>("class " + DemangledName(type));
        return text.get();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

UString<UTF8> DebuggableException::ClassNameText() const noexcept {
    const std::string* text = ClassNameFor(typeid(*this));
    if (text == nullptr)
        return UString<UTF8>();
    return UString<UTF8>(text->data(), text->data() + text->size());
}

const char* DebuggableException::what() const noexcept {
    // A text that cannot be produced reads as empty rather than as a null pointer, which the
    // standard library's own handlers would print.
    const char* text = ClassNameText().begin();
    return text != nullptr ? text : "";
}

UString<UTF8> DebuggableException::Message() const noexcept {
    return ClassNameText();
}
