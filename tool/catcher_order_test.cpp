#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "foundation/catchers/caught_exception.h"
#include "keyprotect/openssl/openssl_errors.h"

namespace {

std::vector<std::string> CatcherNames(const std::vector<ExceptionCatcher>& catchers) {
    const std::vector<std::pair<ExceptionCatcher, std::string>> known = {
        {CatchStdException, "CatchStdException"},
        {CatchPKCS7SignatureVerifyFailed, "CatchPKCS7SignatureVerifyFailed"},
        {CatchWindowsError, "CatchWindowsError"},
        {CatchExceptionPL, "CatchExceptionPL"},
    };
    std::vector<std::string> names;
    for (const ExceptionCatcher catcher : catchers) {
        std::string name = "an unknown catcher";
        for (const auto& [candidate, candidateName] : known)
            if (candidate == catcher)
                name = candidateName;
        names.push_back(name);
    }
    return names;
}

// This binary links the registering units as the tool does, so their start-up objects run in
// the tool's order; the list must not depend on it.
TEST(CatcherOrderTest, TheToolsListAfterTheRegistrationsOfMainIsTheDesignedOne) {
    ExceptionCatcherRegistration<std::exception>();
    ExceptionCatcherRegistration<ExceptionPL>();
    const std::vector<std::string> designed = {"CatchStdException",
                                               "CatchPKCS7SignatureVerifyFailed",
                                               "CatchWindowsError", "CatchExceptionPL"};
    EXPECT_EQ(CatcherNames(RegisteredExceptionCatchers()), designed);
}

} // namespace
