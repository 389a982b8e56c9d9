// machine_settings_win32.cpp - machine settings from the registry
// (HKEY_LOCAL_MACHINE).
#include <windows.h>

#include "platform.h"

namespace jq::platform {

bool machineSetting32(const char* keyPath, const char* name, uint32_t& value) {
    if (keyPath == nullptr || name == nullptr) return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    // A longer value fails with ERROR_MORE_DATA; a shorter one would fill
    // only part of the number, so it counts as missing too.
    const LONG status = ::RegQueryValueExA(key, name, nullptr, nullptr, bytes, &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || size != sizeof bytes) return false;
    value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

}  // namespace jq::platform
