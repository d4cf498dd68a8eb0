#include "foundation/format/format_engine.h"

#include <algorithm>
#include <array>
#include <functional>

#include "foundation/text/ascii_tables.h"
#include "foundation/text/text_ops.h"

namespace {

constexpr std::array<FormatBinding, 6> kBuiltinFormatVariables{{
    {"_cbrace", "}"},
    {"_cr", "\r"},
    {"_crlf", "\r\n"},
    {"_lf", "\n"},
    {"_obrace", "{"},
    {"_tab", "\t"},
}};

// By name; a repeated name keeps its occurrences in template order, so each one can be found
// again by its own name range.
bool BindingBefore(const FormatBinding& a, const FormatBinding& b) {
    if (TextLess(a.first, b.first))
        return true;
    if (TextLess(b.first, a.first))
        return false;
    return std::less<const char*>()(a.first.begin(), b.first.begin());
}

bool SameText(UString<UTF8> a, UString<UTF8> b) {
    return !TextLess(a, b) && !TextLess(b, a);
}

} // namespace

void FormatTokenizer::Advance() {
    current = next;
    NextFormatToken(*this);
}

void NextFormatToken(FormatTokenizer& tokenizer) {
    const char* current = tokenizer.current;
    const char* end = tokenizer.textEnd;
    if (current == end) {
        tokenizer.token = FormatToken{};
        tokenizer.next = current;
        return;
    }
    if (*current != '{') {
        const char* open = std::find(current, end, '{');
        tokenizer.token = {FormatTokenKind::kLiteral, UString<UTF8>(current, open)};
        tokenizer.next = open;
        return;
    }
    const char* nameBegin = current + 1;
    const char* close = std::find(nameBegin, end, '}');
    if (close == end)
        throw BadFormatStringError();
    tokenizer.token = {FormatTokenKind::kPlaceholder, UString<UTF8>(nameBegin, close)};
    tokenizer.next = close + 1;
}

void BindFormatArguments(UString<UTF8> templateText, std::span<const UString<UTF8>> arguments,
                         std::span<FormatBinding> bindings) {
    std::size_t bound = 0;
    FormatTokenizer tokenizer(templateText);
    for (NextFormatToken(tokenizer); !tokenizer.AtEnd(); tokenizer.Advance()) {
        const FormatToken& token = tokenizer.token;
        if (token.kind != FormatTokenKind::kPlaceholder)
            continue;
        CheckFormatVariableName(token.text);
        if (IsBuiltinFormatVariable(token.text))
            continue;
        if (bound == arguments.size() || bound == bindings.size())
            throw TooManyFormatArguments();
        bindings[bound] = {token.text, arguments[bound]};
        ++bound;
    }
    if (bound != arguments.size() || bound != bindings.size())
        throw TooFewFormatArguments();
    std::sort(bindings.begin(), bindings.end(), BindingBefore);
}

void CheckFormatVariableName(UString<UTF8> name) {
    if (name.IsEmpty())
        throw ImproperFormatVariableName();
    if (*name.begin() == '_') {
        LookupFormatVariable(name, BuiltinFormatVariables());
        return;
    }
    // The first byte is deliberately not tested: "-x" or " a" are accepted names.
    const ByteSet& nameChars = AsciiNameCharSet();
    for (const char* p = name.begin() + 1; p != name.end(); ++p) {
        if (!nameChars.Contains(static_cast<std::uint8_t>(*p)))
            throw ImproperFormatVariableName();
    }
}

bool IsBuiltinFormatVariable(UString<UTF8> name) {
    if (name.IsEmpty())
        throw ImproperFormatVariableName();
    return *name.begin() == '_';
}

UString<UTF8> LookupFormatVariable(UString<UTF8> name, std::span<const FormatBinding> table) {
    const auto found = std::lower_bound(table.begin(), table.end(), name,
                                        [](const FormatBinding& binding, UString<UTF8> key) {
                                            return TextLess(binding.first, key);
                                        });
    if (found == table.end() || !SameText(found->first, name))
        throw UndefinedFormatVariable();
    return found->second;
}

UString<UTF8> LookupFormatVariable(const FormatToken& placeholder,
                                   std::span<const FormatBinding> bindings) {
    const FormatBinding key{placeholder.text, UString<UTF8>()};
    const auto found = std::lower_bound(bindings.begin(), bindings.end(), key, BindingBefore);
    if (found == bindings.end() || found->first.begin() != key.first.begin() ||
        found->first.end() != key.first.end())
        throw UndefinedFormatVariable();
    return found->second;
}

UString<UTF8> FormatTokenValue(const FormatToken& token, std::span<const FormatBinding> bindings) {
    if (token.kind == FormatTokenKind::kLiteral)
        return token.text;
    if (IsBuiltinFormatVariable(token.text))
        return LookupFormatVariable(token.text, BuiltinFormatVariables());
    return LookupFormatVariable(token, bindings);
}

std::span<const FormatBinding> BuiltinFormatVariables() {
    return kBuiltinFormatVariables;
}

FormatTokenIterator FormatTokenIterator::Start(UString<UTF8> templateText,
                                               std::span<const FormatBinding> bindings) {
    FormatTokenizer tokenizer(templateText);
    NextFormatToken(tokenizer);
    return FormatTokenIterator(tokenizer, bindings);
}

FormatTokenIterator FormatTokenIterator::End(UString<UTF8> templateText,
                                             std::span<const FormatBinding> bindings) {
    FormatTokenizer tokenizer(templateText);
    tokenizer.current = tokenizer.textEnd;
    NextFormatToken(tokenizer);
    return FormatTokenIterator(tokenizer, bindings);
}

void RenderFormat(CopiedUString<UTF8>& result, FormatTokenIterator first,
                  FormatTokenIterator last) {
    // Measuring first lets the text be allocated once, at its exact length.
    std::uint64_t length = 0;
    for (FormatTokenIterator it = first; it != last; ++it)
        length += (*it).Length();
    CopiedUString<UTF8> text = CopiedUString<UTF8>::WithCapacity(length);
    for (; first != last; ++first)
        text.Append(*first);
    result = std::move(text);
}
