#include "tool/options.h"

#include <algorithm>

#include "foundation/encoding/case_mapping.h"

namespace {

OptionMap processOptions;

} // namespace

void OptionMap::Parse(int count, const char* const* arguments) {
    for (int i = 1; i < count; ++i)
        ParseArgument(UString<UTF8>(arguments[i]));
}

void OptionMap::ParseArgument(UString<UTF8> argument) {
    if (argument.IsEmpty() || *argument.begin() != '/')
        return;
    const char* const begin = argument.begin() + 1;
    const char* const end = argument.end();
    // "=" is looked for first so that a value may hold ":", as a drive letter does.
    const char* separator = std::find(begin, end, '=');
    if (separator == end)
        separator = std::find(begin, end, ':');
    const char* const valueBegin = separator == end ? end : separator + 1;
    entries_.insert_or_assign(LowerCaseUtf8(UString<UTF8>(begin, separator)),
                              CopiedUString<UTF8>(valueBegin, end));
}

bool OptionMap::Has(UString<UTF8> name) const {
    return entries_.find(CopiedUString<UTF8>(name)) != entries_.end();
}

CopiedUString<UTF8> OptionMap::Get(UString<UTF8> name, UString<UTF8> fallback) const {
    const auto found = entries_.find(CopiedUString<UTF8>(name));
    return found == entries_.end() ? CopiedUString<UTF8>(fallback) : found->second;
}

void ParseCommandLine(int count, char** arguments) {
    processOptions.Parse(count, arguments);
}

bool HasOption(UString<UTF8> name) {
    return processOptions.Has(name);
}

CopiedUString<UTF8> GetOption(UString<UTF8> name, UString<UTF8> fallback) {
    return processOptions.Get(name, fallback);
}
