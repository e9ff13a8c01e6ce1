// One use of the settings store by the calling thread: the reads of an
// initialization, the writes of a release. While a scope lives, the
// registry operations of its thread record whether the store could not be
// read or written, with the first reason in words. A missing key or value
// is no failure. The failures of a scope opened inside another count for
// both.
#pragma once

#include <string>

namespace tavrin::platform {

class RegistryScope {
public:
    RegistryScope() : outer_(Current()) { Current() = this; }
    ~RegistryScope() { Current() = outer_; }
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;

    bool Failed() const { return !problem_.empty(); }
    // Why the store could not be read or written, e.g. "<file>: database is
    // locked"; empty when nothing failed.
    const std::string& Problem() const { return problem_; }

    // For the registry's implementations: a failure to record in every
    // scope of the calling thread.
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
    std::string problem_;
};

}  // namespace tavrin::platform
