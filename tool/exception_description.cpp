#include "tool/exception_description.h"

#include <cstring>
#include <exception>
#include <new>

#include "foundation/encoding/transcode.h"
#include "foundation/errors/debuggable_exception.h"
#include "foundation/format/format.h"
#include "tool/gui_class_library.h"
#include "winapi/com_support.h"

namespace {

constexpr UString<UTF8> kOutOfMemoryText =
    "The process is running out of memory, it may become unstable or unusable, and the data it "
    "is processing may not be reliable.";
constexpr UINT kErrorMessageCapacity = 256;

UString<UTF8> WithoutTrailingNul(UString<UTF8> text) {
    if (!text.IsEmpty() && *(text.end() - 1) == '\0') {
        return UString<UTF8>(text.begin(), text.end() - 1);
    }
    return text;
}

CopiedUString<UTF8> CountedText(const _bstr_t& text) {
    const WCHAR* units = static_cast<const WCHAR*>(text);
    if (units == nullptr) {
        return {};
    }
    return TranscodeU16ToU8(UString<UTF16>(units, units + text.length()));
}

CopiedUString<UTF8> TerminatedText(const WCHAR* units) {
    if (units == nullptr) {
        return {};
    }
    return TranscodeU16ToU8(UString<UTF16>(units));
}

} // namespace

CopiedUString<UTF8> DescribeCurrentException() {
    try {
        throw;
    } catch (const DebuggableException& error) {
        return CopiedUString<UTF8>(WithoutTrailingNul(error.Message()));
    } catch (const std::bad_alloc&) {
        // What the allocator throws here when memory runs out.
        return CopiedUString<UTF8>(kOutOfMemoryText);
    } catch (const std::exception& error) {
        const char* what = error.what();
        return CopiedUString<UTF8>(what, what + std::strlen(what));
    } catch (CMemoryException* error) {
        error->Delete();
        return CopiedUString<UTF8>(kOutOfMemoryText);
    } catch (CException* error) {
        WCHAR buffer[kErrorMessageCapacity] = {};
        CopiedUString<UTF8> text;
        try {
            if (error->GetErrorMessage(buffer, kErrorMessageCapacity, nullptr)) {
                buffer[kErrorMessageCapacity - 1] = 0;
                text = TranscodeU16ToU8(UString<UTF16>(buffer));
            }
        } catch (...) {
            error->Delete();
            throw;
        }
        error->Delete();
        return text;
    } catch (const _com_error& error) {
        if (IErrorInfo* info = error.ErrorInfo()) {
            // The accessor hands out a reference of its own.
            info->Release();
            const CopiedUString<UTF8> description = CountedText(error.Description());
            const CopiedUString<UTF8> source = CountedText(error.Source());
            return Format("COM Error: {d} ({s})", description, source);
        }
        return Format("COM Error: {e}", TerminatedText(error.ErrorMessage()));
    } catch (...) {
        return CopiedUString<UTF8>("No diagnostic message available");
    }
}
