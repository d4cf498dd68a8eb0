// Runs a test in a zone of its choosing, through TZ, which the Linux layer follows. A POSIX rule
// such as "CET-1CEST,M3.5.0,M10.5.0/3" needs no zone database.
#pragma once

#if defined(_WIN32)
#error "the zone is chosen through TZ only on the Linux layer"
#endif

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* rule) {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", rule, 1);
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
    ~ScopedTimeZone() {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};
