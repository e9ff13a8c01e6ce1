#include "platform/dialog.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tavrin::platform {
namespace {

class PosixModule final : public RuntimeModule {
public:
    explicit PosixModule(void* handle) : handle_(handle) {}
    ~PosixModule() override { dlclose(handle_); }
    void* Symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

// The folder of the shared object this code is linked into.
std::string OwnFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool JapaneseUserInterface() {
    // The first of these that is set decides, as for the C library's messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string(value).rfind("ja", 0) == 0;
    }
    return false;
}

std::unique_ptr<RuntimeModule> RuntimeModule::Load(const std::string& fileName) {
    Failure failure;
    return Load(fileName, failure);
}

std::unique_ptr<RuntimeModule> RuntimeModule::Load(const std::string& fileName, Failure& failure) {
    const std::string folder = OwnFolder();
    const std::string besideUs = folder + fileName;
    void* handle = folder.empty() ? nullptr : dlopen(besideUs.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        return std::make_unique<PosixModule>(handle);
    // The file beside us that does not load is the one to explain.
    if (!folder.empty() && access(besideUs.c_str(), F_OK) == 0) {
        const char* why = dlerror();
        failure = {true, why ? why : "the system loader refused it"};
        return nullptr;
    }
    handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        return std::make_unique<PosixModule>(handle);
    const char* why = dlerror();
    failure.reason = why ? why : "not found";
    // The loader names the file itself when it is nowhere to be found.
    failure.found = failure.reason.find(fileName + ": cannot open shared object file") == std::string::npos;
    return nullptr;
}

}  // namespace tavrin::platform
