#include "platform/files/file_location.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "foundation/testing/texts.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_location_statics.h"
#include "platform/files/guarded_text_for_test.h"

namespace {

FileLocation Location(const std::string& text) {
    return FileLocation(View(text));
}

// The class of the error that `action` raised, or "" when it raised none.
template <typename Action>
std::string RaisedClass(Action action) {
    try {
        action();
    } catch (const std::exception& error) {
        return typeid(error).name();
    }
    return "";
}

template <typename T>
std::string ClassOf() {
    return typeid(T).name();
}

TEST(FileLocationTest, BothConstructorsDropExactlyOneTrailingSeparator) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", ""},         {"a", "a"},       {"\\", "\\"},
        {"/", "/"},       {"C:\\", "C:"},   {"a/", "a"},
        {"a\\\\", "a\\"}, {"\\\\", "\\"},   {"//", "/"},
        {"a\\b", "a\\b"}, {"\\x\\", "\\x"}, {std::string(100, 'x') + "/", std::string(100, 'x')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(FileLocation(GuardedText(c.text).View()).Text()), c.expected) << c.text;
        EXPECT_EQ(Text(FileLocation(CopiedUString<UTF8>(View(c.text))).Text()), c.expected)
            << c.text;
    }
}

TEST(FileLocationTest, AnOwnedTextIsMovedIn) {
    CopiedUString<UTF8> text(View(std::string(100, 'k') + "\\"));
    const char* buffer = text.begin();
    const FileLocation location(std::move(text));
    EXPECT_EQ(location.Text().begin(), buffer);
    EXPECT_EQ(location.Text().Length(), 100u);
}

TEST(FileLocationTest, CopiesOwnTheirTextAndNoSideRecord) {
    const std::string longText = "C:\\" + std::string(100, 'd');
    const FileLocation original = Location(longText);
    const FileLocation copy(original);
    const FileLocation made = FileLocation::Copy(original);
    FileLocation assigned = Location("other");
    assigned = original;
    for (const FileLocation* location :
         {&copy, &made, static_cast<const FileLocation*>(&assigned)}) {
        EXPECT_EQ(Text(location->Text()), longText);
        EXPECT_NE(location->Text().begin(), original.Text().begin());
        EXPECT_EQ(location->SideRecord(), nullptr);
    }

    FileLocation& same = assigned;
    assigned = same;
    EXPECT_EQ(Text(assigned.Text()), longText);
    EXPECT_EQ(FileLocation(original, "k").SideRecord(), nullptr);
}

TEST(FileLocationTest, JoinAddsOneSeparatorAndTheChildWithoutOuterSeparators) {
    struct Case {
        std::string parent;
        std::string child;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"C:", "\\keys\\", "C:\\keys"},
        {"D:\\x", "///", "D:\\x"},
        {"D:\\x", "", "D:\\x"},
        {"/", "a", "/a"},
        {"\\", "\\a", "\\a"},
        {"a\\\\", "b", "a\\b"},
        {"x", "b/c", "x\\b/c"},
        {"x", "/\\b\\/", "x\\b"},
        {"\\\\srv", "share", "\\\\srv\\share"},
    };
    for (const Case& c : cases) {
        const FileLocation joined(Location(c.parent), GuardedText(c.child).View());
        EXPECT_EQ(Text(joined.Text()), c.expected) << c.parent << " + " << c.child;
    }
    EXPECT_THROW(FileLocation(FileLocation(), "a"), EmptyFileLocationError);
}

TEST(FileLocationTest, ParentIsTheTextBeforeTheLastSeparatorOfEitherKind) {
    struct Case {
        std::string text;
        std::string parent;
    };
    const std::vector<Case> cases = {
        {"C:\\x", "C:"},
        {"a\\\\b", "a"},
        {"\\\\srv\\share", "\\\\srv"},
        {"\\name", "\\"},
        {"/name", "\\"},
        {"a/b\\c", "a/b"},
        {"a\\b/c", "a\\b"},
        {"//server/share", "//server"},
        {"C:rel\\x", "C:rel"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(Location(c.text).Parent().Text()), c.parent) << c.text;
}

TEST(FileLocationTest, ParentRefusesRootsTextsWithoutSeparatorAndTheEmptyLocation) {
    struct Case {
        std::string text;
        std::string raised;
    };
    const std::vector<Case> cases = {
        {"C:\\", ClassOf<RootHasNoParent>()},     {"\\", ClassOf<RootHasNoParent>()},
        {"/", ClassOf<RootHasNoParent>()},        {"\\\\server", ClassOf<RootHasNoParent>()},
        {"name", ClassOf<InvalidFileLocation>()}, {"C:x", ClassOf<InvalidFileLocation>()},
        {"", ClassOf<EmptyFileLocationError>()},
    };
    for (const Case& c : cases) {
        const FileLocation location = Location(c.text);
        try {
            location.Parent();
            ADD_FAILURE() << c.text;
        } catch (const FileIOError& error) {
            EXPECT_EQ(typeid(error).name(), c.raised) << c.text;
            EXPECT_EQ(error.Code(), 0u) << c.text;
            EXPECT_EQ(Text(error.Path()), Text(location.Text())) << c.text;
        }
    }
    EXPECT_THROW(FileLocation().IsRoot(), EmptyFileLocationError);
}

TEST(FileNameTest, ValidationAcceptsRefusesOrEmpties) {
    enum Outcome { kAccepted, kEmpty, kIllegal, kReserved };
    struct Case {
        std::string text;
        Outcome outcome;
    };
    std::vector<Case> cases = {
        {"...", kAccepted},
        {"a.b", kAccepted},
        {".x", kAccepted},
        {std::string(256, 'n'), kAccepted},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         kAccepted},
        {"a\x7F", kAccepted},
        {" a ", kAccepted},
        {"", kEmpty},
        {std::string(257, 'n'), kEmpty},
        {std::string(257, ':'), kEmpty},
        {".", kReserved},
        {"..", kReserved},
        {"a\tb", kIllegal},
        {"\x01", kIllegal},
        {"a\x1F", kIllegal},
        {std::string("a\0b", 3), kIllegal},
    };
    for (const char forbidden : std::string("\"*/:<>?\\|"))
        cases.push_back({std::string("a") + forbidden + "b", kIllegal});

    for (const Case& c : cases) {
        const GuardedText text(c.text);
        switch (c.outcome) {
        case kAccepted:
            EXPECT_EQ(Text(FileName(text.View()).View()), c.text);
            break;
        case kEmpty:
            EXPECT_TRUE(FileName(text.View()).IsEmpty()) << c.text;
            break;
        case kIllegal:
            EXPECT_THROW(FileName{text.View()}, IllegalFileName) << c.text;
            break;
        case kReserved:
            EXPECT_THROW(FileName{text.View()}, IllegalFileNameReserved) << c.text;
            break;
        }
    }
}

TEST(FileNameTest, AssignLeavesTheNameAloneWhenItRaises) {
    FileName name("key.pem");
    EXPECT_THROW(name.Assign("a:b"), IllegalFileName);
    EXPECT_THROW(name.Assign(".."), IllegalFileNameReserved);
    EXPECT_EQ(Text(name.View()), "key.pem");
    name.Assign("other");
    EXPECT_EQ(Text(name.View()), "other");
    name.Assign(View(std::string(257, 'n')));
    EXPECT_TRUE(name.IsEmpty());
}

TEST(FileLocationTest, FileNameIsTheValidatedLastComponent) {
    struct Case {
        std::string text;
        std::string name;
        std::string raised;
    };
    const std::string longName(257, 'n');
    const std::vector<Case> cases = {
        {"C:\\keys\\DecryptedCoreKey", "DecryptedCoreKey", ""},
        {"a/b", "b", ""},
        {"a\\b/c", "c", ""},
        {"name", "name", ""},
        {"", "", ""},
        {"\\", "", ""},
        {"C:\\" + longName, "", ""},
        {"C:", "", ClassOf<IllegalFileName>()},
        {"dir\\..", "", ClassOf<IllegalFileNameReserved>()},
    };
    for (const Case& c : cases) {
        const FileLocation location = Location(c.text);
        if (!c.raised.empty()) {
            EXPECT_EQ(RaisedClass([&] { location.FileName(); }), c.raised) << c.text;
            EXPECT_EQ(RaisedClass([&] { location.FileNameText(); }), c.raised) << c.text;
            continue;
        }
        EXPECT_EQ(Text(location.FileName().View()), c.name) << c.text;
        EXPECT_EQ(Text(location.FileNameText()), c.name) << c.text;
    }
}

TEST(AnalyzePathTest, FieldsFollowTheFirstTwoBytes) {
    struct Case {
        std::string text;
        bool isRoot;
        bool isAbsolute;
        bool isUnc;
        bool hasDrive;
        std::string drive;
    };
    const std::vector<Case> cases = {
        {"", false, false, false, false, ""},
        {"x", false, false, false, false, ""},
        {"\\", true, true, false, false, ""},
        {"/", true, true, false, false, ""},
        {"C:", true, true, false, true, "C:"},
        {"c:rel", false, true, false, true, "c:"},
        {"X:\\", false, true, false, true, "X:"},
        {"z:/k", false, true, false, true, "z:"},
        {"\\\\", true, true, true, false, ""},
        {"\\\\server", true, true, true, false, ""},
        {"\\\\server\\share", false, true, true, false, ""},
        {"\\\\server/share", false, true, true, false, ""},
        {"\\x", false, true, false, false, ""},
        {"\\/x", false, true, false, false, ""},
        {"/x", false, true, false, false, ""},
        {"//server", false, true, false, false, ""},
        {"x\\y", false, false, false, false, ""},
        {"1:", false, false, false, false, ""},
        {"@:", false, false, false, false, ""},
        {":\\", false, false, false, false, ""},
    };
    for (const Case& c : cases) {
        const GuardedText text(c.text);
        const PathAnalysis analysis = AnalyzePath(text.View());
        EXPECT_EQ(analysis.isRoot, c.isRoot) << c.text;
        EXPECT_EQ(analysis.isAbsolute, c.isAbsolute) << c.text;
        EXPECT_EQ(analysis.isUnc, c.isUnc) << c.text;
        EXPECT_EQ(analysis.hasDrive, c.hasDrive) << c.text;
        EXPECT_EQ(Text(analysis.drive), c.drive) << c.text;
        EXPECT_EQ(IsAbsolutePath(text.View()), c.isAbsolute) << c.text;
    }
}

TEST(FileLocationTest, IsRootAnalysesTheTextLeftByTheTrailingSeparatorRule) {
    struct Case {
        std::string text;
        bool isRoot;
    };
    const std::vector<Case> cases = {
        {"C:\\", true},
        {"x:/", true},
        {"\\\\", true},
        {"\\\\server\\", true},
        {"\\\\server\\share", false},
        {"C:\\x", false},
        {"name", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Location(c.text).IsRoot(), c.isRoot) << c.text;
}

TEST(FileLocationStaticsTest, HoldTheirTexts) {
    EXPECT_EQ(Text(kX64EnvironmentExecutableName.View()), "x64Environment.exe");
    EXPECT_EQ(Text(kX64EnvironmentMarkerName.View()), "__x64environment");
    EXPECT_EQ(Text(kX64ProcessorInfoMarkerName.View()), "__x64processorInfo");

    for (const PathSegmentBounds* segment : {&kCurrentDirectorySegment, &kParentDirectorySegment}) {
        EXPECT_EQ(segment->parameters, segment->end);
        EXPECT_EQ(segment->query, segment->end);
    }
    EXPECT_EQ(Text(UString<UTF8>(kCurrentDirectorySegment.begin, kCurrentDirectorySegment.end)),
              ".");
    EXPECT_EQ(Text(UString<UTF8>(kParentDirectorySegment.begin, kParentDirectorySegment.end)),
              "..");

    const std::string text = "a?b;c";
    const PathSegmentBounds split = BoundsOfPathSegment(View(text));
    EXPECT_EQ(split.parameters - split.begin, 1);
    EXPECT_EQ(split.query, split.parameters);
    EXPECT_EQ(split.end - split.begin, 5);
}

} // namespace
