#include "platform/dialog.h"

#include <windows.h>

namespace tavrin::platform {
namespace {

class Win32Module final : public RuntimeModule {
public:
    explicit Win32Module(HMODULE module) : module_(module) {}
    ~Win32Module() override { FreeLibrary(module_); }
    void* Symbol(const char* name) const override { return reinterpret_cast<void*>(GetProcAddress(module_, name)); }

private:
    HMODULE module_;
};

}  // namespace

bool JapaneseUserInterface() { return GetSystemDefaultLangID() == 1041; }

std::unique_ptr<RuntimeModule> RuntimeModule::Load(const std::string& fileName) {
    Failure failure;
    return Load(fileName, failure);
}

std::unique_ptr<RuntimeModule> RuntimeModule::Load(const std::string& fileName, Failure& failure) {
    HMODULE module = LoadLibraryA(fileName.c_str());
    if (!module) {
        const DWORD error = GetLastError();
        failure = {error != ERROR_MOD_NOT_FOUND, "LoadLibrary error " + std::to_string(error)};
        return nullptr;
    }
    return std::make_unique<Win32Module>(module);
}

}  // namespace tavrin::platform
