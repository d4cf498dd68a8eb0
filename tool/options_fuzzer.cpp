// The option map holds, for every "/" argument, its name split at the first "=" (else the first
// ":") and lower-cased, with the value of the last argument of that name.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "foundation/encoding/case_mapping.h"
#include "foundation/encoding/charset_errors.h"
#include "foundation/testing/fuzz_input.h"
#include "tool/options.h"

namespace {

std::string Text(UString<UTF8> text) {
    return std::string(text.begin(), text.end());
}

std::map<std::string, std::string> Expected(const std::vector<std::string>& arguments) {
    std::map<std::string, std::string> expected;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty() || argument[0] != '/')
            continue;
        std::size_t separator = argument.find('=', 1);
        if (separator == std::string::npos)
            separator = argument.find(':', 1);
        const std::string name =
            argument.substr(1, separator == std::string::npos ? std::string::npos : separator - 1);
        const std::string lowered = Text(LowerCaseUtf8(UString<UTF8>(name.c_str())));
        if (Text(LowerCaseUtf8(UString<UTF8>(lowered.c_str()))) != lowered)
            std::abort();
        expected[lowered] = separator == std::string::npos ? "" : argument.substr(separator + 1);
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments = SplitFuzzInput(data, size, 64);
    arguments.back().resize(std::string(arguments.back().c_str()).size());
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());

    std::map<std::string, std::string> expected;
    bool refused = false;
    try {
        expected = Expected(arguments);
    } catch (const ICUResult&) {
        refused = true;
    }
    OptionMap options;
    try {
        options.Parse(static_cast<int>(argv.size()), argv.data());
    } catch (const ICUResult&) {
        if (!refused)
            std::abort();
        return 0;
    }
    if (refused)
        std::abort();
    std::map<std::string, std::string> parsed;
    for (const auto& [name, value] : options.AllEntries())
        parsed[Text(name)] = Text(value);
    if (parsed != expected)
        std::abort();
    return 0;
}
