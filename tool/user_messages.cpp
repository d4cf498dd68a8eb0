#include "tool/user_messages.h"

#include <iostream>

#include "foundation/encoding/code_pages.h"
#include "foundation/encoding/transcode.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/format/format.h"
#include "platform/logging/log_manager.h"
#include "platform/logging/log_message.h"
#include "tool/gui_class_library.h"

namespace {

constexpr WORD kIconResource = 128;

} // namespace

void LogDebug(UString<UTF8> text) {
    if (IsCategoryLogged("debug")) {
        LogMessage message("debug", "");
        message << text;
    }
}

void WriteConsoleLine(UString<UTF8> text) {
    std::cout.write(text.begin(), static_cast<std::streamsize>(text.Length()));
    std::cout << '\n' << std::flush;
}

void ShowMessage(UString<UTF8> text, bool console) {
    LogDebug(text);
    if (console) {
        WriteConsoleLine(text);
        return;
    }
    const CopiedUString<UTF16> title = ToMessageBoxText("Quendra");
    const CopiedUString<UTF16> boxText = TerminatedCopy(TranscodeU8ToU16(text), false);
    ShowMessageBox(boxText.begin(), title.begin(), MB_OK);
}

DestroyOwnerWindow::~DestroyOwnerWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    window_ = nullptr;
}

std::int32_t ShowMessageBox(LPCWSTR text, LPCWSTR title, std::uint32_t type) {
    const AfxModuleState* state = AfxGetModuleState();
    const HICON icon = LoadIconW(state->m_hCurrentResourceHandle, MAKEINTRESOURCEW(kIconResource));
    const LPCWSTR className = AfxRegisterWndClass(0, nullptr, nullptr, icon);
    HWND owner = CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr,
                                 nullptr, state->m_hCurrentInstanceHandle, nullptr);
    if (owner == nullptr) {
        ThrowFailedCall();
    }
    const DestroyOwnerWindow guard(owner);
    CenterWindow(owner);
    return MessageBoxW(owner, text, title, type);
}

CopiedUString<UTF16> ToMessageBoxText(UString<UTF8> templateText) {
    return TerminatedCopy(TranscodeU8ToU16(Format(templateText)), false);
}
