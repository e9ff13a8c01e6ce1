#include "support/isolation.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/environment.h"
#include "platform/module.h"
#include "platform/shared_memory.h"

namespace tavrin::test {

namespace {

std::string& BlockName() {
    static std::string name;
    return name;
}

std::string& RegistryFile() {
    static std::string path;
    return path;
}

std::string TemporaryDirectory() {
    for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
        if (const auto value = platform::GetEnvironment(name); value && !value->empty()) {
            return *value;
        }
    }
    return "/tmp";
}

}  // namespace

void IsolateFromOtherPrograms() {
    if (!BlockName().empty()) {
        return;
    }
    const std::string id = std::to_string(platform::CurrentProcess().id & 0xFFFFFFF);
    BlockName() = "TAVRIN_TEST_" + id;
    platform::SetEnvironment("TAVRIN_SHARED_MEMORY_NAME", BlockName().c_str());
    // A settings database of the program's own (POSIX hosts; under Wine the
    // registry lives in the test run's own prefix).
    RegistryFile() = TemporaryDirectory() + "/tavrin-test-registry-" + id + ".sqlite3";
    std::remove(RegistryFile().c_str());
    platform::SetEnvironment("TAVRIN_REGISTRY", RegistryFile().c_str());
    std::atexit([] {
        platform::SharedMemory::Unlink(BlockName());
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::remove((RegistryFile() + suffix).c_str());
        }
    });
}

}  // namespace tavrin::test
