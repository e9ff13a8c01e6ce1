// The register configuration file: any bytes, read from a stream and from a
// file, give one record per whole 8 bytes and never more memory than that.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

#include "platform/sync.h"
#include "settings/config_file.h"

namespace {

const std::string& ScratchFile() {
    static const std::string path = "fuzz_config_file_" + std::to_string(getpid()) + ".bin";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    const std::vector<uint8_t> bytes(data, data + size);
    const RegisterConfigList records = ParseRegisterConfig(bytes);
    if (records.size() != size / 8) {
        std::abort();
    }
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    const auto image = LoadFileImage(stream);
    if (!image || *image != bytes) {
        std::abort();
    }

    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    platform::CriticalSection lock;
    RegisterConfigList list{{1, 2}};
    if (written && (LoadConfigFile(ScratchFile().c_str(), lock, list) != 1 || list.size() != size / 8)) {
        std::abort();
    }
    std::remove(ScratchFile().c_str());
    return 0;
}
