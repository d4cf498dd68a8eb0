// The pieces of Format: tokenizing, binding, lookup and rendering. Nothing here allocates except
// the rendered result.
#pragma once

#include <cstdint>
#include <span>

#include "foundation/format/format_errors.h"
#include "foundation/text/ustring.h"

// (name, value). Bound names are ranges inside the template, so each occurrence of a
// placeholder has a distinct name range even when names repeat.
using FormatBinding = Pair<UString<UTF8>, UString<UTF8>>;

enum class FormatTokenKind : std::uint8_t { kLiteral = 0, kPlaceholder = 1 };

struct FormatToken {
    FormatTokenKind kind = FormatTokenKind::kLiteral;
    // A literal's text, or a placeholder's name without its braces.
    UString<UTF8> text;
};

// Borrows the template. Advance by setting `current` to `next` and calling NextFormatToken.
struct FormatTokenizer {
    // Positioned at the template's begin; a reversed range reads as empty. No token is read yet.
    explicit FormatTokenizer(UString<UTF8> templateText)
        : textBegin(templateText.begin()), textEnd(templateText.begin() + templateText.Length()),
          current(textBegin), next(textBegin) {}

    bool AtEnd() const { return current == textEnd; }
    void Advance();

    const char* textBegin;
    const char* textEnd;
    const char* current;
    const char* next;
    FormatToken token;
};

// Reads the token at `current`: at the text end, an empty literal; raises BadFormatStringError
// for a "{" without a later "}".
void NextFormatToken(FormatTokenizer& tokenizer);

// Validates the whole template, stores (name, argument) per non-built-in placeholder in text
// order, then sorts the bindings by name and, among equal names, by position in the template.
void BindFormatArguments(UString<UTF8> templateText, std::span<const UString<UTF8>> arguments,
                         std::span<FormatBinding> bindings);

void CheckFormatVariableName(UString<UTF8> name);

// Raises ImproperFormatVariableName for an empty name.
bool IsBuiltinFormatVariable(UString<UTF8> name);

// The value of the first binding whose name has the same bytes as `name`; raises
// UndefinedFormatVariable when there is none. `table` is sorted by name.
UString<UTF8> LookupFormatVariable(UString<UTF8> name, std::span<const FormatBinding> table);

// The value bound to this very placeholder occurrence, whose name is the range that
// BindFormatArguments stored; raises UndefinedFormatVariable when it was not bound.
UString<UTF8> LookupFormatVariable(const FormatToken& placeholder,
                                   std::span<const FormatBinding> bindings);

UString<UTF8> FormatTokenValue(const FormatToken& token, std::span<const FormatBinding> bindings);

// Sorted by name under TextLess.
std::span<const FormatBinding> BuiltinFormatVariables();

// Walks the tokens of a bound template; dereferencing gives the text a token renders to.
class FormatTokenIterator {
public:
    static FormatTokenIterator Start(UString<UTF8> templateText,
                                     std::span<const FormatBinding> bindings);
    static FormatTokenIterator End(UString<UTF8> templateText,
                                   std::span<const FormatBinding> bindings);

    UString<UTF8> operator*() const { return FormatTokenValue(tokenizer_.token, bindings_); }
    FormatTokenIterator& operator++() {
        tokenizer_.Advance();
        return *this;
    }
    bool operator==(const FormatTokenIterator& other) const {
        return tokenizer_.current == other.tokenizer_.current;
    }

private:
    FormatTokenIterator(FormatTokenizer tokenizer, std::span<const FormatBinding> bindings)
        : tokenizer_(tokenizer), bindings_(bindings) {}

    FormatTokenizer tokenizer_;
    std::span<const FormatBinding> bindings_;
};

// Replaces `result` by the concatenated token values from `first` up to `last`: inline when it
// fits in 64 bytes, else one heap block of exactly its length.
void RenderFormat(CopiedUString<UTF8>& result, FormatTokenIterator first, FormatTokenIterator last);
