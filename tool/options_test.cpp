#include "tool/options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/testing/texts.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const OptionMap& options) {
    Entries entries;
    for (const auto& [name, value] : options.AllEntries())
        entries.emplace_back(Text(name), Text(value));
    return entries;
}

// The program path starts with "/" like an option, so a parser that read it would store it.
std::vector<const char*> CommandLine(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"/usr/bin/quendra"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    return argv;
}

OptionMap Parsed(const std::vector<std::string>& arguments) {
    const std::vector<const char*> argv = CommandLine(arguments);
    OptionMap options;
    options.Parse(static_cast<int>(argv.size() - 1), argv.data());
    return options;
}

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    Entries expected;
};

TEST(OptionMapTest, ParsesEachArgument) {
    const std::vector<ParseCase> cases = {
        {"drive colon stays in the value",
         {"/sitePvkLocation:C:\\keys\\site.pem"},
         {{"sitepvklocation", "C:\\keys\\site.pem"}}},
        {"equals separator", {"/dirIn=C:\\in"}, {{"dirin", "C:\\in"}}},
        {"colon separator", {"/dirIn:C:\\in"}, {{"dirin", "C:\\in"}}},
        {"equals wins over an earlier colon", {"/dirIn:C:\\a=b"}, {{"dirin:c:\\a", "b"}}},
        {"later separators stay in the value", {"/dirIn=C:\\a=b:c"}, {{"dirin", "C:\\a=b:c"}}},
        {"password with equals after a colon",
         {"/sitePvkPassword:p=w"},
         {{"sitepvkpassword:p", "w"}}},
        {"value keeps its case", {"/DIROUT:D:\\Out Dir"}, {{"dirout", "D:\\Out Dir"}}},
        {"flag", {"/decrypt"}, {{"decrypt", ""}}},
        {"empty value", {"/decrypt:"}, {{"decrypt", ""}}},
        {"flag with a value", {"/decrypt:yes"}, {{"decrypt", "yes"}}},
        {"slash alone", {"/"}, {{"", ""}}},
        {"separator alone", {"/=v"}, {{"", "v"}}},
        {"double slash", {"//x"}, {{"/x", ""}}},
        {"non-options ignored", {"decrypt", "-decrypt", "", " /decrypt"}, {}},
        {"repeated option replaces", {"/DirIn:X", "/dirin:Y"}, {{"dirin", "Y"}}},
        {"bare flag resets the value", {"/decrypt:yes", "/DECRYPT"}, {{"decrypt", ""}}},
        {"dotted capital I by root rules", {"/D\xC4\xB0RIN:x"}, {{"di\xCC\x87rin", "x"}}},
        {"umlaut", {"/\303\204B=1"}, {{"\303\244b", "1"}}},
        {"invalid UTF-8 kept as typed", {"/\xFFK:\xFE"}, {{"\xFFk", "\xFE"}}},
        {"full command line",
         {"/sitePvkLocation:C:\\k.pem", "/sitePvkPassword=s:e", "/encrypt", "/dirIn:C:\\in",
          "/dirOut:C:\\out", "/hideUI", "stray"},
         {{"dirin", "C:\\in"},
          {"dirout", "C:\\out"},
          {"encrypt", ""},
          {"hideui", ""},
          {"sitepvklocation", "C:\\k.pem"},
          {"sitepvkpassword", "s:e"}}},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(EntriesOf(Parsed(c.arguments)), c.expected) << c.name;
}

TEST(OptionMapTest, ReadsOnlyArgumentsBelowTheCount) {
    const std::vector<std::string> arguments{"/a", "/b"};
    const std::vector<const char*> argv = CommandLine(arguments);
    for (int count : {-1, 0, 1}) {
        OptionMap options;
        options.Parse(count, argv.data());
        EXPECT_EQ(EntriesOf(options), Entries{}) << count;
    }
    OptionMap options;
    options.Parse(2, argv.data());
    EXPECT_EQ(EntriesOf(options), (Entries{{"a", ""}}));
}

TEST(OptionMapTest, LooksUpExactNames) {
    const OptionMap options = Parsed({"/dirIn:X", "/hideUI"});
    struct Lookup {
        const char* name;
        bool present;
        std::string value;
    };
    for (const Lookup& l : {Lookup{"dirin", true, "X"}, Lookup{"hideui", true, ""},
                            Lookup{"DirIn", false, "fallback"}, Lookup{"dir", false, "fallback"},
                            Lookup{"dirinx", false, "fallback"}, Lookup{"", false, "fallback"}}) {
        EXPECT_EQ(options.Has(l.name), l.present) << l.name;
        EXPECT_EQ(Text(options.Get(l.name, "fallback")), l.value) << l.name;
    }
}

TEST(ProcessOptionsTest, FreeFunctionsUseOneSharedMap) {
    std::vector<std::string> arguments{"quendra", "/DirOut:C:\\out", "/decrypt"};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ParseCommandLine(static_cast<int>(arguments.size()), argv.data());

    EXPECT_TRUE(HasOption("decrypt"));
    EXPECT_FALSE(HasOption("encrypt"));
    EXPECT_EQ(Text(GetOption("dirout", "")), "C:\\out");
    EXPECT_EQ(Text(GetOption("dirin", "none")), "none");
}

} // namespace
