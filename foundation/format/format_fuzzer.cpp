// A template either renders or raises one of the format errors; what renders holds every
// argument, renders the same again, and, when it has no braces left, is a template for itself.
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/format/format.h"
#include "foundation/testing/fuzz_input.h"

namespace {

UString<UTF8> View(const std::string& text) {
    return UString<UTF8>(text.data(), text.data() + text.size());
}

std::string Text(UString<UTF8> text) {
    return std::string(text.begin(), text.end());
}

CopiedUString<UTF8> Render(const std::vector<std::string>& pieces) {
    const UString<UTF8> templateText = View(pieces[0]);
    switch (pieces.size()) {
    case 1:
        return Format(templateText);
    case 2:
        return Format(templateText, View(pieces[1]));
    case 3:
        return Format(templateText, View(pieces[1]), View(pieces[2]));
    default:
        return Format(templateText, View(pieces[1]), View(pieces[2]), View(pieces[3]));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> pieces = SplitFuzzInput(data, size, 4);
    std::string rendered;
    try {
        rendered = Text(Render(pieces));
    } catch (const BadFormatStringError&) {
        return 0;
    } catch (const TooManyFormatArguments&) {
        return 0;
    } catch (const TooFewFormatArguments&) {
        return 0;
    } catch (const ImproperFormatVariableName&) {
        return 0;
    } catch (const UndefinedFormatVariable&) {
        return 0;
    }
    if (Text(Render(pieces)) != rendered)
        std::abort();
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        if (rendered.find(pieces[i]) == std::string::npos)
            std::abort();
    }
    if (rendered.find_first_of("{}") == std::string::npos &&
        Text(Format(View(rendered))) != rendered)
        std::abort();
    return 0;
}
