// Lenient conversions between UTF-16 and the ANSI code page or UTF-8: what a code page cannot
// represent becomes the converter's default character, and invalid input becomes U+FFFD. The
// strict transcoders are in transcode.h.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "foundation/text/ustring.h"
#include "winapi/win32.h"

// The Win32 converters, except that an empty source returns 0 without calling Windows and a 0
// from Windows for a non-empty source always raises Windows::Error.
std::int64_t MultiByteToWide(UINT codePage, DWORD flags, const char* source,
                             std::int32_t sourceLength, WCHAR* destination,
                             std::int32_t destinationCapacity);
std::int64_t WideToMultiByte(UINT codePage, DWORD flags, const WCHAR* source,
                             std::int32_t sourceLength, char* destination,
                             std::int32_t destinationCapacity, const char* defaultChar,
                             BOOL* usedDefaultChar);

// The ANSI results are byte strings in the process's ANSI code page, not UTF-8.
CopiedUString<UTF8> WideToAnsi(UString<UTF16> text);
CopiedUString<UTF16> AnsiToWide(UString<UTF8> ansiText);
CopiedUString<UTF16> Utf8ToWide(UString<UTF8> text);
CopiedUString<UTF8> WideToUtf8(UString<UTF16> text);

// The source's text followed by a NUL unit that its length does not count; any later change to
// the string may overwrite it. The source's buffer is taken over when it has a spare unit (or
// when `dropLast` uncounts the text's own last unit, normally a terminator it already holds);
// only a full buffer costs a new block, and then the source keeps its text.
template <typename T>
CopiedUString<T> TerminatedCopy(CopiedUString<T>&& source, bool dropLast) {
    if (source.Length() < source.Capacity() || dropLast) {
        CopiedUString<T> text(std::move(source));
        if (dropLast) {
            if (text.IsEmpty())
                throw std::out_of_range("SetEnd out of range");
            text.SetEnd(text.end() - 1);
        } else {
            *text.end() = CodeUnit<T>(0);
        }
        return text;
    }
    CopiedUString<T> result = CopiedUString<T>::WithCapacity(source.Length() + 1);
    result.Append(source.View());
    *result.end() = CodeUnit<T>(0);
    return result;
}

// A NUL-terminated ANSI text for the C library and OpenSSL.
CopiedUString<UTF8> Utf8ToAnsiZ(UString<UTF8> text);
