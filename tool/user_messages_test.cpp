#include "tool/user_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/encoding/windows_error.h"
#include "foundation/format/format_errors.h"
#include "foundation/testing/texts.h"
#include "platform/logging/log_manager.h"
#include "platform/logging/recording_log_writer_for_test.h"
#include "tool/gui_class_library.h"
#include "tool/usage_text.h"
#include "winapi/testing/target_guards.h"

namespace {

using Lines = std::vector<std::string>;

std::string ConsoleOutputOf(UString<UTF8> text) {
    testing::internal::CaptureStdout();
    ShowMessage(text, true);
    return testing::internal::GetCapturedStdout();
}

TEST(ShowMessageTest, ConsoleLineIsTheTextAndIsLoggedAsShown) {
    const std::vector<std::string> texts = {
        "Elaboration successfully completed.",
        "braces {x} and { stay",
        "Error: the following keys already exist in the output dir:\n\nEncryptedCoreKey\n",
        "",
    };
    for (const std::string& text : texts) {
        RecordingLogWriter writer({"debug"});
        LoggingTo logging(writer);
        EXPECT_EQ(ConsoleOutputOf(View(text)), text + "\n");
        logging.Stop();
        EXPECT_EQ(writer.Lines(), Lines{"debug:" + text});
    }
}

TEST(ShowMessageTest, ShownWithoutAWriterForDebug) {
    RecordingLogWriter writer({"critical"});
    LoggingTo logging(writer);
    EXPECT_EQ(ConsoleOutputOf("still shown"), "still shown\n");
    logging.Stop();
    EXPECT_EQ(writer.Lines(), Lines{});
}

TEST(ShowMessageTest, BoxModeNeedsAWindowStation) {
    SKIP_ON_WINDOWS_BECAUSE("Windows has a window station, and the box would wait for a user");
    EXPECT_FALSE(AfxWinInit(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), 0));
    try {
        ShowMessage("no box", false);
        FAIL() << "a box was shown";
    } catch (const Windows::Error& error) {
        EXPECT_EQ(error.Code(), ERROR_NOT_SUPPORTED);
    }
}

TEST(ToMessageBoxTextTest, RendersBuiltInsAndEndsInANulUnit) {
    const CopiedUString<UTF16> usage = ToMessageBoxText(BoxUsageTemplate);
    const std::u16string units = Units(usage);
    EXPECT_NE(units.find(u"{ /decrypt | /encrypt }"), std::u16string::npos);
    EXPECT_EQ(std::count(units.begin(), units.end(), u'\n'), 2);
    EXPECT_EQ(*usage.end(), 0);
    EXPECT_EQ(Units(ToMessageBoxText("Quendra")), u"Quendra");
}

TEST(ToMessageBoxTextTest, MalformedTemplatesRaise) {
    EXPECT_THROW(ToMessageBoxText("{path}"), TooManyFormatArguments);
    EXPECT_THROW(ToMessageBoxText("open {"), BadFormatStringError);
}

} // namespace
