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

void AddRankedCatcher(std::vector<RankedCatcher>& list, RankedCatcher entry) {
    const auto listed = [&](const RankedCatcher& other) { return other.catcher == entry.catcher; };
    if (std::any_of(list.begin(), list.end(), listed))
        return;
    const auto after = std::find_if(list.begin(), list.end(), [&](const RankedCatcher& other) {
        return other.rank > entry.rank;
    });
    list.insert(after, entry);
}

void RegisterExceptionCatcher(ExceptionCatcher catcher, CatcherRank rank) {
    const ExceptionCatcherRegistry::LockedCatchers access = ExceptionCatcherRegistry::Access();
    AddRankedCatcher(access.Entries(), {catcher, rank});
}

std::vector<ExceptionCatcher> RegisteredExceptionCatchers() {
    const ExceptionCatcherRegistry::LockedCatchers access = ExceptionCatcherRegistry::Access();
    std::vector<ExceptionCatcher> catchers;
    for (const RankedCatcher& entry : access.Entries())
        catchers.push_back(entry.catcher);
    return catchers;
}

namespace {

const ExceptionCatcherRegistration<Windows::Error> windowsErrorCatchers;

// The registry and its critical section exist before main, whatever the order of the units.
[[maybe_unused]] const bool catcherRegistryCreated = (ExceptionCatcherRegistry::Access(), true);

} // namespace
