// HKEY_CURRENT_USER through the registry functions of advapi32.
#include "platform/registry.h"

#include <windows.h>

#include <string>

#include "platform/registry_scope.h"

namespace tavrin::platform {

namespace {

// A key or value that is not there is no failure of the registry; anything
// else is recorded, in the system's words, in the calling thread's scope.
LONG Checked(LONG result, const std::string& what) {
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND ||
        result == ERROR_MORE_DATA)
        return result;
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(result), 0,
                   text, sizeof text, nullptr);
    std::string reason = "registry " + what + ": " + text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    RegistryScope::RecordFailure(reason);
    return result;
}

}  // namespace

struct RegistryKey::Impl {
    HKEY key;
    bool writable;

    static HKEY Root(const RegistryKey* parent) { return parent ? parent->impl_->key : HKEY_CURRENT_USER; }
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

RegistryKey::~RegistryKey() { RegCloseKey(impl_->key); }

std::unique_ptr<RegistryKey> RegistryKey::Open(const RegistryKey* parent, const std::string& path) {
    HKEY key = nullptr;
    if (Checked(RegOpenKeyExA(Impl::Root(parent), path.c_str(), 0, KEY_READ, &key), path) != ERROR_SUCCESS)
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::make_unique<Impl>(Impl{key, false})));
}

std::unique_ptr<RegistryKey> RegistryKey::Create(const RegistryKey* parent, const std::string& path) {
    HKEY key = nullptr;
    // Non-volatile, empty class, full access, default security.
    if (Checked(RegCreateKeyExA(Impl::Root(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
                path) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::make_unique<Impl>(Impl{key, true})));
}

bool RegistryKey::Exists(const RegistryKey* parent, const std::string& path) { return Open(parent, path) != nullptr; }

bool RegistryKey::DeleteTree(const RegistryKey* parent, const std::string& path) {
    if (path.empty())
        return false;
    return RegDeleteTreeA(Impl::Root(parent), path.c_str()) == ERROR_SUCCESS;
}

bool RegistryKey::ReadDword(const std::string& name, int32_t& field) const {
    // The buffer is read into only on success: after ERROR_MORE_DATA its
    // contents are undefined.
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    if (Checked(RegQueryValueExA(impl_->key, name.c_str(), nullptr, nullptr, bytes, &size), name) != ERROR_SUCCESS)
        return false;
    uint32_t value = static_cast<uint32_t>(field);
    for (DWORD i = 0; i < size && i < 4; ++i) {
        value = (value & ~(0xFFu << (8 * i))) | (static_cast<uint32_t>(bytes[i]) << (8 * i));
    }
    field = static_cast<int32_t>(value);
    return true;
}

bool RegistryKey::WriteDword(const std::string& name, uint32_t value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 24)};
    return WriteValue(name, REG_DWORD, bytes, sizeof bytes);
}

bool RegistryKey::WriteValue(const std::string& name, uint32_t type, const void* data, size_t size) {
    if (!impl_->writable || size > 0xFFFFFFFFu)
        return false;
    return Checked(RegSetValueExA(impl_->key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                  static_cast<DWORD>(size)),
                   name) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryKey::SubKeyNames() const {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(impl_->key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
    std::vector<std::string> names;
    std::string name(16384, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(impl_->key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name.data(), length);
    }
    return names;
}

}  // namespace tavrin::platform
