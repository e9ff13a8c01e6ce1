// One use of the settings store by the calling thread: the reads of an
// initialization, the writes of a release. While a scope lives, the
// registry operations of its thread
//  - share one wait for other programs' locks on the store: together they
//    wait at most one busy time-out, counted from the scope's start, however
//    many statements they run (Windows' registry has no such locks);
//  - record whether the store could not be read or written, with the first
//    reason in words. A missing key or value is no failure.
// A scope opened inside another shares the outer one's wait, and its
// failures count for both.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tavrin::platform {

class RegistryScope {
public:
    using Clock = std::chrono::steady_clock;

    RegistryScope() : outer_(Current()), started_(outer_ != nullptr ? outer_->started_ : Clock::now()) {
        Current() = this;
    }
    ~RegistryScope() { Current() = outer_; }
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;

    bool Failed() const { return !problem_.empty(); }
    // Why the store could not be read or written, e.g. "<file>: database is
    // locked"; empty when nothing failed.
    const std::string& Problem() const { return problem_; }

    // For the registry's implementations: when the calling thread's scope
    // began (nothing outside any scope), and a failure to record in every
    // scope of the thread.
    static std::optional<Clock::time_point> ActiveSince() {
        return Current() != nullptr ? std::optional(Current()->started_) : std::nullopt;
    }
    static void RecordFailure(const std::string& reason) {
        for (RegistryScope* scope = Current(); scope != nullptr; scope = scope->outer_) {
            if (scope->problem_.empty()) {
                scope->problem_ = reason.empty() ? "the settings store failed" : reason;
            }
        }
    }

private:
    static RegistryScope*& Current() {
        thread_local RegistryScope* current = nullptr;
        return current;
    }

    RegistryScope* outer_;
    Clock::time_point started_;
    std::string problem_;
};

}  // namespace tavrin::platform
