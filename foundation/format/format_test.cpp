#include "foundation/format/format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/testing/texts.h"
#include "foundation/text/text_ops.h"

namespace {

using Args = std::vector<UString<UTF8>>;

template <std::size_t... I>
CopiedUString<UTF8> FormatSpread(UString<UTF8> templateText, const Args& args,
                                 std::index_sequence<I...>) {
    return Format(templateText, args[I]...);
}

// Format takes its argument count at compile time; the tables need up to three.
CopiedUString<UTF8> FormatWith(UString<UTF8> templateText, const Args& args) {
    switch (args.size()) {
    case 0:
        return FormatSpread(templateText, args, std::make_index_sequence<0>());
    case 1:
        return FormatSpread(templateText, args, std::make_index_sequence<1>());
    case 2:
        return FormatSpread(templateText, args, std::make_index_sequence<2>());
    case 3:
        return FormatSpread(templateText, args, std::make_index_sequence<3>());
    }
    ADD_FAILURE() << "no more than 3 arguments";
    return {};
}

struct RenderCase {
    const char* templateText;
    Args args;
    std::string expected;
};

TEST(FormatTest, RendersTemplates) {
    const std::vector<RenderCase> cases = {
        {"", {}, ""},
        {"abc}", {}, "abc}"},
        {"{_obrace}x{_cbrace}", {}, "{x}"},
        {"{_crlf}", {}, "\r\n"},
        {"a{_cr}b{_lf}c{_tab}d", {}, "a\rb\nc\td"},
        {"{{b}", {"v"}, "v"},
        {"{-}", {"v"}, "v"},
        {"{ a}{1}", {"v", "w"}, "vw"},
        {"{b}{a}", {"1", "2"}, "12"},
        {"Windows Error 0x{err}: {msg}",
         {"00000005", "Access is denied."},
         "Windows Error 0x00000005: Access is denied."},
        {"{t} -- {m}{e}", {"12:00", "started", ""}, "12:00 -- started"},
        {"{_obrace}{a}{_cbrace}", {"}{"}, "{}{}"},
        {"Grüße an {name} — {x}", {"Zoë", "日本"}, "Grüße an Zoë — 日本"},
    };
    for (const RenderCase& c : cases) {
        EXPECT_EQ(Text(FormatWith(c.templateText, c.args)), c.expected) << c.templateText;
    }
}

// Each occurrence renders its own argument, whatever the names and values sort to.
TEST(FormatTest, RepeatedNamesKeepTheirOwnArguments) {
    const std::vector<RenderCase> cases = {
        {"{a}-{a}", {"1", "2"}, "1-2"},
        {"{a}-{a}", {"2", "1"}, "2-1"},
        {"{x}{y}{x}", {"3", "2", "1"}, "321"},
        {"{b}{a}{b}", {"z", "", "a"}, "za"},
    };
    for (const RenderCase& c : cases) {
        EXPECT_EQ(Text(FormatWith(c.templateText, c.args)), c.expected) << c.templateText;
    }
}

TEST(FormatTest, RendersTheTenFieldAuditLine) {
    const CopiedUString<UTF8> line =
        Format("{ver}|{time}|{prio}|{user}|{evtsrc}|{evtlabel}|{evttype}|{ip}|{msg}{e}", "1",
               "2024-01-02T03:04:05Z", "5", "alice", "tool", "convert", "info", "127.0.0.1",
               "key converted", " [2]");
    EXPECT_EQ(Text(line),
              "1|2024-01-02T03:04:05Z|5|alice|tool|convert|info|127.0.0.1|key converted [2]");
}

TEST(FormatTest, AcceptsEveryArgumentTextType) {
    const CopiedUString<UTF8> owned("owned");
    const char* const terminated = "terminated";
    const std::string backing = "range";
    const UString<UTF8> range = View(backing);
    EXPECT_EQ(Text(Format("{a} {b} {c} {d}", owned, terminated, range, "literal")),
              "owned terminated range literal");
}

TEST(FormatTest, ReversedTemplateRangeIsEmpty) {
    const char* text = "{a}";
    EXPECT_TRUE(Format(UString<UTF8>(text + 3, text)).IsEmpty());
}

TEST(FormatTest, ResultIsInlineUpTo64BytesElseExactHeapBlock) {
    const std::string half(32, 'x');
    const std::string more(33, 'y');
    const CopiedUString<UTF8> fits = Format("{a}{b}", half.c_str(), half.c_str());
    EXPECT_EQ(fits.Length(), 64u);
    EXPECT_TRUE(fits.IsInline());

    const CopiedUString<UTF8> spills = Format("{a}{b}", half.c_str(), more.c_str());
    EXPECT_EQ(Text(spills), half + more);
    EXPECT_FALSE(spills.IsInline());
    EXPECT_EQ(spills.Capacity(), 65u);
}

enum class Raised {
    kNothing,
    kBadFormatString,
    kTooMany,
    kTooFew,
    kImproperName,
    kUndefined,
};

Raised RaisedBy(UString<UTF8> templateText, const Args& args) {
    try {
        FormatWith(templateText, args);
    } catch (const BadFormatStringError&) {
        return Raised::kBadFormatString;
    } catch (const TooManyFormatArguments&) {
        return Raised::kTooMany;
    } catch (const TooFewFormatArguments&) {
        return Raised::kTooFew;
    } catch (const ImproperFormatVariableName&) {
        return Raised::kImproperName;
    } catch (const UndefinedFormatVariable&) {
        return Raised::kUndefined;
    }
    return Raised::kNothing;
}

struct ErrorCase {
    const char* templateText;
    Args args;
    Raised expected;
};

TEST(FormatTest, RejectsMalformedTemplates) {
    const std::vector<ErrorCase> cases = {
        {"{", {}, Raised::kBadFormatString},
        {"a{b", {}, Raised::kBadFormatString},
        {"{a}x{", {"v"}, Raised::kBadFormatString},
        {"{}", {}, Raised::kImproperName},
        {"{a b}", {"v"}, Raised::kImproperName},
        {"{a{b}", {"v"}, Raised::kImproperName},
        {"{ab-}", {"v"}, Raised::kImproperName},
        {"{a\xc3\xa9}", {"v"}, Raised::kImproperName},
        {"{_x}", {}, Raised::kUndefined},
        {"{_}", {}, Raised::kUndefined},
        {"{_LF}", {}, Raised::kUndefined},
        {"{_crl}", {}, Raised::kUndefined},
        {"{_crlfx}", {}, Raised::kUndefined},
        {"{a}", {}, Raised::kTooMany},
        {"{a}{b}", {"1"}, Raised::kTooMany},
        {"x", {"1"}, Raised::kTooFew},
        {"{_obrace}{a}", {"1", "2"}, Raised::kTooFew},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(RaisedBy(c.templateText, c.args), c.expected) << c.templateText;
    }
}

// Validation walks the template in text order, so the earliest fault wins over later ones.
TEST(FormatTest, FirstOffendingTokenDecides) {
    const std::vector<ErrorCase> cases = {
        {"{a}{", {}, Raised::kTooMany},
        {"{}{a}", {}, Raised::kImproperName},
        {"{a}{}", {}, Raised::kTooMany},
        {"{_x}{", {}, Raised::kUndefined},
        {"{_x}{a}", {"1", "2"}, Raised::kUndefined},
        {"x{}", {"1"}, Raised::kImproperName},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(RaisedBy(c.templateText, c.args), c.expected) << c.templateText;
    }
}

struct ErrorTextCase {
    const char* templateText;
    Args args;
    const char* text;
};

TEST(FormatTest, ErrorTextsNameTheirClass) {
    const std::vector<ErrorTextCase> cases = {
        {"{", {}, "class BadFormatStringError"},
        {"{a}", {}, "class TooManyFormatArguments"},
        {"x", {"1"}, "class TooFewFormatArguments"},
        {"{}", {}, "class ImproperFormatVariableName"},
        {"{_}", {}, "class UndefinedFormatVariable"},
    };
    for (const ErrorTextCase& c : cases) {
        try {
            FormatWith(c.templateText, c.args);
            ADD_FAILURE() << c.templateText << " was accepted";
        } catch (const DebuggableException& error) {
            EXPECT_STREQ(error.what(), c.text) << c.templateText;
        }
    }
}

struct ExpectedToken {
    FormatTokenKind kind;
    std::string text;
};

std::vector<ExpectedToken> Tokens(UString<UTF8> templateText) {
    std::vector<ExpectedToken> tokens;
    FormatTokenizer tokenizer(templateText);
    for (NextFormatToken(tokenizer); !tokenizer.AtEnd(); tokenizer.Advance())
        tokens.push_back({tokenizer.token.kind, Text(tokenizer.token.text)});
    return tokens;
}

TEST(FormatTokenizerTest, SplitsLiteralsAndPlaceholders) {
    constexpr FormatTokenKind L = FormatTokenKind::kLiteral;
    constexpr FormatTokenKind P = FormatTokenKind::kPlaceholder;
    const std::vector<std::pair<const char*, std::vector<ExpectedToken>>> cases = {
        {"", {}},
        {"ab{x}}c{y}", {{L, "ab"}, {P, "x"}, {L, "}c"}, {P, "y"}}},
        {"{a{b}z", {{P, "a{b"}, {L, "z"}}},
        {"{{b}", {{P, "{b"}}},
        {"{}{}", {{P, ""}, {P, ""}}},
    };
    for (const auto& [templateText, expected] : cases) {
        const std::vector<ExpectedToken> tokens = Tokens(templateText);
        ASSERT_EQ(tokens.size(), expected.size()) << templateText;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            EXPECT_EQ(tokens[i].kind, expected[i].kind) << templateText << " #" << i;
            EXPECT_EQ(tokens[i].text, expected[i].text) << templateText << " #" << i;
        }
    }
}

TEST(FormatTokenizerTest, EndTokenIsAnEmptyLiteralThatStays) {
    FormatTokenizer tokenizer(UString<UTF8>("ab"));
    tokenizer.current = tokenizer.textEnd;
    NextFormatToken(tokenizer);
    EXPECT_EQ(tokenizer.token.kind, FormatTokenKind::kLiteral);
    EXPECT_EQ(tokenizer.token.text.begin(), nullptr);
    EXPECT_EQ(tokenizer.next, tokenizer.textEnd);
}

TEST(BindFormatArgumentsTest, SortsByNameThenTemplatePosition) {
    const char* templateText = "{b}{a}{b}";
    const std::array<UString<UTF8>, 3> arguments{"1", "2", "0"};
    std::array<FormatBinding, 3> bindings{};
    BindFormatArguments(templateText, arguments, bindings);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"a", "2"}, {"b", "1"}, {"b", "0"}};
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        EXPECT_EQ(Text(bindings[i].first), expected[i].first) << i;
        EXPECT_EQ(Text(bindings[i].second), expected[i].second) << i;
    }
    // Bound names point into the template, so each occurrence stays distinguishable.
    EXPECT_EQ(bindings[1].first.begin(), templateText + 1);
    EXPECT_EQ(bindings[2].first.begin(), templateText + 7);
}

TEST(LookupFormatVariableTest, BuiltinsMatchExactlyByText) {
    const std::string crlf = "_crlf";
    EXPECT_EQ(Text(LookupFormatVariable(View(crlf), BuiltinFormatVariables())), "\r\n");
    EXPECT_THROW(LookupFormatVariable("_CRLF", BuiltinFormatVariables()), UndefinedFormatVariable);
    EXPECT_THROW(LookupFormatVariable("_z", BuiltinFormatVariables()), UndefinedFormatVariable);
}

TEST(LookupFormatVariableTest, PlaceholderMustBeTheBoundOccurrence) {
    const char* templateText = "{a}";
    const std::array<UString<UTF8>, 1> arguments{"v"};
    std::array<FormatBinding, 1> bindings{};
    BindFormatArguments(templateText, arguments, bindings);

    const FormatToken bound{FormatTokenKind::kPlaceholder, bindings[0].first};
    EXPECT_EQ(Text(LookupFormatVariable(bound, bindings)), "v");
    const FormatToken sameTextElsewhere{FormatTokenKind::kPlaceholder, UString<UTF8>("a")};
    EXPECT_THROW(LookupFormatVariable(sameTextElsewhere, bindings), UndefinedFormatVariable);
}

TEST(FormatTokenValueTest, EmptyPlaceholderNameIsImproper) {
    const FormatToken empty{FormatTokenKind::kPlaceholder, UString<UTF8>()};
    EXPECT_THROW(FormatTokenValue(empty, {}), ImproperFormatVariableName);
}

} // namespace
