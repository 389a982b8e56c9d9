// machine_settings_posix.cpp - machine settings of the Linux port: a settings
// file in /etc, whose sections are named like the registry keys of the
// Windows product, in place of HKEY_LOCAL_MACHINE.
#include <cstdlib>
#include <string>

#include "platform.h"
#include "posix_text.h"

namespace jq::platform {
namespace {

// A decimal or 0x hexadecimal number below 2^32 and nothing else.
bool parseNumber32(const PathString& text, uint32_t& value) {
    size_t i = 0;
    uint32_t base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        i = 2;
    }
    if (i == text.size()) return false;
    uint64_t number = 0;
    for (; i < text.size(); ++i) {
        const JQChar c = text[i];
        uint32_t digit = 16;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        if (digit >= base) return false;
        number = number * base + digit;
        if (number > UINT32_MAX) return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

}  // namespace

bool machineSetting32(const char* keyPath, const char* name, uint32_t& value) {
    if (keyPath == nullptr || name == nullptr) return false;
    const char* chosen = std::getenv(kMachineSettingsVariable);
    const std::string file = chosen != nullptr && *chosen != 0 ? chosen : kMachineSettingsFile;
    const PathString path = posix::utf16FromUtf8(file);
    const PathString section = posix::utf16FromUtf8(keyPath);
    const PathString key = posix::utf16FromUtf8(name);
    const PathString text = settingsString(path.c_str(), section.c_str(), key.c_str(), u"");
    return parseNumber32(text, value);
}

}  // namespace jq::platform
