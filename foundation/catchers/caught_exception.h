// The exception being handled, captured as a heap object that can be stored, asked for its
// texts and thrown again later; and the process-wide registry of the catchers that capture them.
#pragma once

#include <exception>
#include <memory>
#include <vector>

#include "foundation/encoding/exception_pl.h"
#include "foundation/encoding/windows_error.h"
#include "foundation/text/lifetime_bound.h"
#include "foundation/text/ustring.h"
#include "foundation/threads/critical_section.h"

class CaughtException {
public:
    virtual ~CaughtException() = default;
    // Throws a copy of the held exception.
    [[noreturn]] virtual void Rethrow() const = 0;
    virtual const char* What() const noexcept = 0;
    virtual UString<UTF8> Message() const noexcept = 0;
};

// What a caught T is kept as: a copy made by T's copy constructor, so an object of a derived
// class is kept, and thrown again, as a T.
template <typename T>
struct HeldException {
    using Type = T;
};

// A standard exception has no copy of our own kind; its what() text is carried instead.
template <>
struct HeldException<std::exception> {
    using Type = CopiedStdException;
};

template <typename T>
class CaughtExceptionOfType final : public CaughtException {
public:
    using Held = typename HeldException<T>::Type;

    explicit CaughtExceptionOfType(const T& caught) : held_(caught) {}

    [[noreturn]] void Rethrow() const override { throw held_; }
    const char* What() const noexcept QUENDRA_LIFETIME_BOUND override { return held_.what(); }
    UString<UTF8> Message() const noexcept QUENDRA_LIFETIME_BOUND override {
        return held_.Message();
    }

    const Held& HeldObject() const { return held_; }

private:
    Held held_;
};

// Called inside a catch handler: a new holder when the exception in flight is one of the
// catcher's type; any other exception leaves the catcher unchanged.
using ExceptionCatcher = std::unique_ptr<CaughtException> (*)();

// The body of every catcher.
template <typename T>
std::unique_ptr<CaughtException> CatchExceptionOfType() {
    try {
        throw;
    } catch (const T& caught) {
        return std::make_unique<CaughtExceptionOfType<T>>(caught);
    }
}

std::unique_ptr<CaughtException> CatchStdException();
std::unique_ptr<CaughtException> CatchExceptionPL();
std::unique_ptr<CaughtException> CatchWindowsError();

// Where a catcher stands in the registry's list, lowest first. The rank, not the order in which
// start-up reaches the registrations, fixes the list, as that order follows how a program is
// linked.
enum class CatcherRank {
    Standard,
    // The errors of a third-party library behind wrappers of ours.
    WrappedLibrary,
    WindowsError,
    Platform,
    // The types of a program's own units.
    Program,
};

struct RankedCatcher {
    ExceptionCatcher catcher;
    CatcherRank rank;

    bool operator==(const RankedCatcher&) const = default;
};

// Inserts the catcher after every entry of its rank or a lower one, unless it is already listed.
void AddRankedCatcher(std::vector<RankedCatcher>& list, RankedCatcher entry);

// The catchers by rank, those of one rank in registration order, without duplicates; filled at
// start-up and by main, and kept until the process exits. Every access holds the registry's
// critical section.
class ExceptionCatcherRegistry {
public:
    class LockedCatchers {
    public:
        std::vector<RankedCatcher>& Entries() const { return registry_.entries_; }

    private:
        friend class ExceptionCatcherRegistry;
        explicit LockedCatchers(ExceptionCatcherRegistry& registry)
            : registry_(registry), lock_(registry.section_) {}

        ExceptionCatcherRegistry& registry_;
        CriticalSectionLock lock_;
    };

    // The first access creates the registry, thread-safely.
    static LockedCatchers Access();

    ExceptionCatcherRegistry(const ExceptionCatcherRegistry&) = delete;
    ExceptionCatcherRegistry& operator=(const ExceptionCatcherRegistry&) = delete;

private:
    ExceptionCatcherRegistry() = default;
    ~ExceptionCatcherRegistry() = default;

    std::vector<RankedCatcher> entries_;
    CriticalSection section_;
};

// A catcher already listed keeps its place, whatever rank it is given again.
void RegisterExceptionCatcher(ExceptionCatcher catcher, CatcherRank rank);
// A copy of the registry's list.
std::vector<ExceptionCatcher> RegisteredExceptionCatchers();

// The catcher that ExceptionCatcherRegistration<T> registers, and its rank; a unit that defines
// an exception type of its own specialises it beside its catcher.
template <typename T>
struct ExceptionCatcherFor;

template <>
struct ExceptionCatcherFor<std::exception> {
    static constexpr ExceptionCatcher kCatcher = CatchStdException;
    static constexpr CatcherRank kRank = CatcherRank::Standard;
};

template <>
struct ExceptionCatcherFor<ExceptionPL> {
    static constexpr ExceptionCatcher kCatcher = CatchExceptionPL;
    static constexpr CatcherRank kRank = CatcherRank::Platform;
};

template <>
struct ExceptionCatcherFor<Windows::Error> {
    static constexpr ExceptionCatcher kCatcher = CatchWindowsError;
    static constexpr CatcherRank kRank = CatcherRank::WindowsError;
};

// Registers CatchStdException, then T's catcher, once per process however many registrations
// of T are made: as a static object for start-up, or in main when it gets there.
template <typename T>
class ExceptionCatcherRegistration {
public:
    ExceptionCatcherRegistration() {
        [[maybe_unused]] static const bool registered = [] {
            RegisterExceptionCatcher(ExceptionCatcherFor<std::exception>::kCatcher,
                                     ExceptionCatcherFor<std::exception>::kRank);
            RegisterExceptionCatcher(ExceptionCatcherFor<T>::kCatcher,
                                     ExceptionCatcherFor<T>::kRank);
            return true;
        }();
    }
};
