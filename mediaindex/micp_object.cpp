// micp_object.cpp - decoding MICP objects.
#include "micp_object.h"

#include <cstdio>
#include <cstring>

#include "typed_elements.h"

namespace jq::mediaindex {
namespace {

constexpr uint16_t kMicpObjectType = 12;
constexpr size_t kTrailerSize = 2;
constexpr uint16_t kInfoType = 1;
constexpr uint16_t kExpiryType = 2;
constexpr size_t kInfoSize = 12;
constexpr size_t kExpirySize = 4;
constexpr uint8_t kWholeDatum = 1;
constexpr uint8_t kDatumPart = 2;

bool readData(ByteReader payload, MicpData& data) {
    data.kind = payload.u8();
    data.keptByte = payload.u8();
    if (data.kind == kDatumPart) {
        data.totalSize = payload.u32be();
        data.offset = payload.u32be();
        data.secondKeptByte = payload.u8();
        data.partNumber = payload.u8();
    } else if (data.kind != kWholeDatum) {
        return false;
    }
    data.name = payload.bytes(payload.u8());
    data.data = payload.rest();
    return payload.ok();
}

bool readElement(ByteReader& list, MicpElement& element) {
    records::TypedElement framed;
    if (!records::readTypedElement(list, framed)) return false;
    element.length = framed.length;
    element.type = framed.type;
    ByteReader payload(framed.payload);
    switch (framed.type) {
        case kInfoType:
            element.kind = MicpElementKind::Info;
            if (!payload.canRead(kInfoSize)) return false;
            element.infoValue = payload.u32be();
            element.infoTime = payload.u32be();
            element.infoWords[0] = payload.u16be();
            element.infoWords[1] = payload.u16be();
            return true;
        case kExpiryType:
            element.kind = MicpElementKind::Expiry;
            if (!payload.canRead(kExpirySize)) return false;
            element.expiryTime = payload.u32be();
            return true;
        default:
            element.kind = MicpElementKind::Data;
            return readData(payload, element.data);
    }
}

}  // namespace

JQStatus decodeMicpObject(ByteView object, MicpObject& result) {
    result = MicpObject{};
    ByteReader reader(object);
    result.objectType = reader.u16be();
    result.keptByte = reader.u8();
    if (!reader.ok() || result.objectType != kMicpObjectType) return JQ_ERR_FORMAT;
    const ByteView listBytes = reader.rest();
    if (listBytes.size < kTrailerSize) return JQ_ERR_FORMAT;
    if (listBytes.size == kTrailerSize) return JQ_OK;

    // At least one element; the next begins where the last ended, while that
    // is before the trailer.
    ByteReader list(listBytes);
    do {
        MicpElement element;
        if (!readElement(list, element)) {
            result.elements.clear();
            return JQ_ERR_FORMAT;
        }
        result.elements.push_back(element);
    } while (list.position() < listBytes.size - kTrailerSize);
    return JQ_OK;
}

std::string micpKey(const MicpData& data) {
    std::string key;
    if (!data.name.empty()) {
        const void* zero = std::memchr(data.name.data, 0, data.name.size);
        const auto* end = zero != nullptr ? static_cast<const uint8_t*>(zero) : data.name.end();
        key.assign(data.name.data, end);
    }
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%03d", data.partNumber);
    return key + suffix;
}

}  // namespace jq::mediaindex
