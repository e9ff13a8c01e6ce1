// What the built-in dialogs need from the system besides their windows:
// the language to speak and, on hosts whose dialog view is a separate
// module, a way to load that module when the first dialog is asked for.
#pragma once

#include <memory>
#include <string>

namespace tavrin::platform {

// Japanese when the system's default language is Japanese (language id 1041
// on Windows; a locale whose language is "ja" on POSIX).
bool JapaneseUserInterface();

// A library loaded at run time, looked for first beside the SDK library
// itself and then where the system's loader looks.
class RuntimeModule {
public:
    static std::unique_ptr<RuntimeModule> Load(const std::string& fileName);
    // Load's answer when it fails: whether the file is missing, and the
    // system loader's words (a library the module needs may be missing).
    struct Failure {
        bool found = false;
        std::string reason;
    };
    static std::unique_ptr<RuntimeModule> Load(const std::string& fileName, Failure& failure);
    virtual ~RuntimeModule() = default;
    // The address of an exported function; null when it has none of that name.
    virtual void* Symbol(const char* name) const = 0;
};

}  // namespace tavrin::platform
