// How the tool speaks to its user: one line on standard output, or a message box titled
// "Quendra". Every message is logged in "debug" before it is shown.
#pragma once

#include <cstdint>

#include "foundation/text/ustring.h"
#include "winapi/win32.h"

// One "debug" entry of the tool's own, written only when a writer takes the category.
void LogDebug(UString<UTF8> text);

// The text's bytes as they are, a line feed, then a flush; the stream's state is not examined.
void WriteConsoleLine(UString<UTF8> text);

// The text is shown as it stands: braces are never rendered. Logging, conversion and box
// failures propagate, and the message is then not shown.
void ShowMessage(UString<UTF8> text, bool console);

// A modal box owned by a visible zero-size popup centred on the work area; both texts end in a
// NUL. Raises Windows::Error when the owner window cannot be created.
std::int32_t ShowMessageBox(LPCWSTR text, LPCWSTR title, std::uint32_t type);

// Destroys the box's owner window on every way out of ShowMessageBox.
class DestroyOwnerWindow {
public:
    explicit DestroyOwnerWindow(HWND& window) : window_(window) {}
    DestroyOwnerWindow(const DestroyOwnerWindow&) = delete;
    DestroyOwnerWindow& operator=(const DestroyOwnerWindow&) = delete;
    // A window that will not go is no concern of the user's.
    ~DestroyOwnerWindow();

private:
    HWND& window_;
};

// Renders a template authored with {name} built-ins and no arguments, as UTF-16 followed by a
// NUL unit. Raises the format engine's errors and WindowsCharacterSetResult.
CopiedUString<UTF16> ToMessageBoxText(UString<UTF8> templateText);
