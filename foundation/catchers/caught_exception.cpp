#include "foundation/catchers/caught_exception.h"

#include <algorithm>

std::unique_ptr<CaughtException> CatchStdException() {
    return CatchExceptionOfType<std::exception>();
}

std::unique_ptr<CaughtException> CatchExceptionPL() {
    return CatchExceptionOfType<ExceptionPL>();
}

std::unique_ptr<CaughtException> CatchWindowsError() {
    return CatchExceptionOfType<Windows::Error>();
}

ExceptionCatcherRegistry::LockedCatchers ExceptionCatcherRegistry::Access() {
    static ExceptionCatcherRegistry registry;
    return LockedCatchers(registry);
}

void RegisterExceptionCatcher(ExceptionCatcher catcher) {
    const ExceptionCatcherRegistry::LockedCatchers access = ExceptionCatcherRegistry::Access();
    std::vector<ExceptionCatcher>& catchers = access.Catchers();
    if (std::find(catchers.begin(), catchers.end(), catcher) == catchers.end())
        catchers.push_back(catcher);
}

namespace {

const ExceptionCatcherRegistration<Windows::Error> windowsErrorCatchers;

// The registry and its critical section exist before main, whatever the order of the units.
[[maybe_unused]] const bool catcherRegistryCreated = (ExceptionCatcherRegistry::Access(), true);

} // namespace
