#include "support/isolation.h"

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

}  // namespace

void IsolateFromOtherPrograms() {
    if (!BlockName().empty()) {
        return;
    }
    BlockName() = "TAVRIN_TEST_" + std::to_string(platform::ProgramInstance() & 0xFFFFFFF);
    platform::SetEnvironment("TAVRIN_SHARED_MEMORY_NAME", BlockName().c_str());
    std::atexit([] { platform::SharedMemory::Unlink(BlockName()); });
}

}  // namespace tavrin::test
