// Input: a path text, a NUL, a child text, a NUL, and a piece whose length is the long-path
// limit (259 without it). Every text is handed over in a buffer of its exact size, so reading
// past it is caught, and once more followed by separators, which would change the answer.
//
// Properties: the analysis fields agree with each other and with the first bytes; a file name
// is accepted exactly when it is well formed; a parent is a shorter prefix up to the separator
// rewrite, and a location whose parent and file name are valid is rebuilt by joining them up to
// runs of separators; a join adds the trimmed child after at most one separator; the long-path
// form of valid UTF-8 is the text itself, with "/" rewritten to "\" and a prefix only where the
// rules allow it.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/encoding/charset_errors.h"
#include "foundation/encoding/transcode.h"
#include "foundation/testing/fuzz_input.h"
#include "platform/files/file_errors.h"
#include "platform/files/file_location.h"
#include "platform/files/guarded_text_for_test.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string Text(UString<UTF8> text) {
    return std::string(text.begin(), text.end());
}

bool IsSeparator(char unit) {
    return unit == '\\' || unit == '/';
}

// Each run of "\" and "/" as one "\".
std::string CollapsedSeparators(const std::string& text) {
    std::string collapsed;
    for (const char unit : text) {
        if (!IsSeparator(unit))
            collapsed.push_back(unit);
        else if (collapsed.empty() || collapsed.back() != '\\')
            collapsed.push_back('\\');
    }
    return collapsed;
}

std::string Backslashed(std::string text) {
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

class ExactCopy {
public:
    explicit ExactCopy(const std::string& text)
        : bytes_(std::make_unique<char[]>(text.size())), size_(text.size()) {
        std::copy(text.begin(), text.end(), bytes_.get());
    }
    UString<UTF8> View() const { return UString<UTF8>(bytes_.get(), bytes_.get() + size_); }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

bool SameAnalysis(const PathAnalysis& a, const PathAnalysis& b) {
    return a.isRoot == b.isRoot && a.isAbsolute == b.isAbsolute && a.isUnc == b.isUnc &&
           a.hasDrive == b.hasDrive && Text(a.drive) == Text(b.drive);
}

void CheckAnalysis(const std::string& text) {
    const PathAnalysis analysis = AnalyzePath(ExactCopy(text).View());
    Require(SameAnalysis(analysis, AnalyzePath(GuardedText(text).View())));
    Require(IsAbsolutePath(ExactCopy(text).View()) == analysis.isAbsolute);
    Require(!analysis.isRoot || analysis.isAbsolute);
    Require(!(analysis.isUnc && analysis.hasDrive));
    Require(analysis.isUnc == text.starts_with("\\\\"));
    Require(analysis.hasDrive ==
            (text.size() >= 2 && text[1] == ':' &&
             ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))));
    Require(Text(analysis.drive) == (analysis.hasDrive ? text.substr(0, 2) : ""));
    Require(analysis.isAbsolute == (analysis.hasDrive || (!text.empty() && IsSeparator(text[0]))));
    if (analysis.isRoot && !analysis.hasDrive)
        Require(text.size() == 1 || analysis.isUnc);
}

bool IsWellFormedName(const std::string& text) {
    if (text == "." || text == "..")
        return false;
    for (const char unit : text) {
        const auto byte = static_cast<unsigned char>(unit);
        if (byte < 0x20 || std::string("\"*/:<>?\\|").find(unit) != std::string::npos)
            return false;
    }
    return true;
}

void CheckFileName(const std::string& text) {
    try {
        const FileName name(ExactCopy(text).View());
        if (text.empty() || text.size() > 256)
            Require(name.IsEmpty());
        else
            Require(IsWellFormedName(text) && Text(name.View()) == text);
    } catch (const IllegalFileNameReserved&) {
        Require(text == "." || text == "..");
    } catch (const IllegalFileName&) {
        Require(!text.empty() && text.size() <= 256 && !IsWellFormedName(text));
    }
}

void CheckParents(const FileLocation& location) {
    FileLocation current = location;
    // Each parent is shorter, so the walk ends.
    while (true) {
        try {
            const FileLocation parent = current.Parent();
            const std::string text = Text(current.Text());
            const std::string parentText = Text(parent.Text());
            Require(!parentText.empty() && parentText.size() < text.size());
            Require(parentText == "\\" ? IsSeparator(text[0]) : text.starts_with(parentText));
            current = parent;
        } catch (const RootHasNoParent&) {
            Require(current.IsRoot());
            return;
        } catch (const InvalidFileLocation&) {
            Require(Text(current.Text()).find_first_of("\\/") == std::string::npos);
            return;
        }
    }
}

void CheckRebuild(const FileLocation& location) {
    FileLocation parent;
    FileName name;
    try {
        parent = location.Parent();
        name = location.FileName();
    } catch (const FileIOError&) {
        return;
    } catch (const IllegalFileName&) {
        return;
    } catch (const IllegalFileNameReserved&) {
        return;
    }
    if (name.IsEmpty())
        return;
    const FileLocation rebuilt(parent, name);
    Require(CollapsedSeparators(Text(rebuilt.Text())) ==
            CollapsedSeparators(Text(location.Text())));
    Require(Text(rebuilt.FileName().View()) == Text(name.View()));
}

void CheckJoin(const FileLocation& location, const std::string& child) {
    const std::string base = Text(location.Text());
    const std::size_t first = child.find_first_not_of("\\/");
    const std::string trimmed =
        first == std::string::npos ? ""
                                   : child.substr(first, child.find_last_not_of("\\/") + 1 - first);
    const FileLocation joined(location, ExactCopy(child).View());
    const std::string expected =
        trimmed.empty() ? base : base + (IsSeparator(base.back()) ? "" : "\\") + trimmed;
    Require(Text(joined.Text()) == expected);
    Require(Text(FileLocation(location, GuardedText(child).View()).Text()) == expected);
}

std::string Utf8Of(const CopiedUString<UTF16>& form) {
    return Text(TranscodeU16ToU8(form));
}

bool HasDotSegment(const std::string& text) {
    return text.find("\\..\\") != std::string::npos || text.find("\\.\\") != std::string::npos ||
           text.ends_with("\\.") || text.ends_with("\\..");
}

void CheckLongPathForm(const std::string& text, std::uint32_t limit) {
    CopiedUString<UTF16> units;
    try {
        units = TranscodeU8ToU16(ExactCopy(text).View());
    } catch (const WindowsCharacterSetResult&) {
        try {
            LongPathForm(ExactCopy(text).View(), limit);
        } catch (const WindowsCharacterSetResult&) {
            return;
        }
        std::abort();
    }
    const CopiedUString<UTF16> form = LongPathForm(ExactCopy(text).View(), limit);
    Require(*form.end() == WCHAR(0));
    const std::string result = Utf8Of(form);
    Require(result == Utf8Of(LongPathForm(GuardedText(text).View(), limit)));

    const PathAnalysis analysis = AnalyzePath(ExactCopy(text).View());
    const bool device = text.size() >= 4 && text.starts_with("\\\\") &&
                        (text[2] == '?' || text[2] == '.') && IsSeparator(text[3]);
    if (device || units.Length() < limit || (!analysis.hasDrive && !analysis.isUnc)) {
        Require(result == text);
        return;
    }
    const std::string replaced = Backslashed(text);
    const bool rootedDrive = analysis.hasDrive && text.size() > 2 && IsSeparator(text[2]);
    if (HasDotSegment(replaced) || !(analysis.isUnc || rootedDrive)) {
        Require(result == replaced);
        return;
    }
    Require(result == (analysis.isUnc ? "\\\\?\\UNC" + replaced.substr(1) : "\\\\?\\" + replaced));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> pieces = SplitFuzzInput(data, size, 3);
    const std::string& path = pieces[0];
    const std::string child = pieces.size() > 1 ? pieces[1] : "";
    const std::uint32_t limit =
        pieces.size() > 2 ? static_cast<std::uint32_t>(pieces[2].size()) : 259;

    CheckAnalysis(path);
    CheckFileName(path);
    CheckFileName(child);
    CheckLongPathForm(path, limit);

    const FileLocation location(ExactCopy(path).View());
    Require(Text(FileLocation(CopiedUString<UTF8>(ExactCopy(path).View())).Text()) ==
            Text(location.Text()));
    if (location.IsEmpty()) {
        Require(path.empty());
        return 0;
    }
    const std::string text = Text(location.Text());
    Require(text == path || (path.size() >= 2 && IsSeparator(path.back()) &&
                             text == path.substr(0, path.size() - 1)));
    CheckParents(location);
    CheckRebuild(location);
    CheckJoin(location, child);
    return 0;
}
