// name_fields.cpp - filling and publishing the probe's name fields.
#include "name_fields.h"

#include <string>

namespace jq::hostprobe {

namespace {

bool isHighSurrogate(JQChar c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(JQChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

void publishField(const char* mappingName, const NameField& field) {
    platform::SharedMemory memory =
        platform::SharedMemory::openForWriting(mappingName, HOSTIDENT_NAME_FIELD_BYTES);
    memory.write(field.data(), field.size());
}

}  // namespace

NameField nameField(const JQChar* name) {
    NameField field{};
    // Character by character, so that a code page of several bytes a
    // character is never cut inside one.
    std::string text;
    for (size_t i = 0; name != nullptr && name[i] != 0;) {
        const size_t units = isHighSurrogate(name[i]) && isLowSurrogate(name[i + 1]) ? 2 : 1;
        const JQChar one[3] = {name[i], units == 2 ? name[i + 1] : JQChar(0), 0};
        const std::string bytes = platform::ansiFromUtf16(one);
        if (text.size() + bytes.size() > field.size() - 1) break;
        text += bytes;
        i += units;
    }
    text.copy(field.data(), text.size());
    return field;
}

void publish(const ResultBlock& result) {
    publishField(HOSTIDENT_MODEL_MAPPING, result.model);
    publishField(HOSTIDENT_MANUFACTURER_MAPPING, result.manufacturer);
}

}  // namespace jq::hostprobe
