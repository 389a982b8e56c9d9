// topic_message.cpp - decoding message objects.
#include "topic_message.h"

#include "typed_elements.h"

namespace jq::newsindex {
namespace {

constexpr uint16_t kMessageObjectType = 6;
constexpr size_t kMessageHeaderSize = 9;
constexpr size_t kTrailerSize = 2;
constexpr size_t kExpirySize = 4;
constexpr size_t kValuesSize = 7;

// Reads the element at the reader's position; false when it is malformed.
// Elements of types not kept come back with type 0.
bool readElement(ByteReader& message, TopicElement& element) {
    element = TopicElement{};
    records::TypedElement framed;
    if (!records::readTypedElement(message, framed)) return false;
    ByteReader payload(framed.payload);
    element.length = framed.length;
    switch (framed.type) {
        case kFirstData:
        case kSecondData:
        case kThirdData:
        case kKeptData:
            element.payload = framed.payload;
            break;
        case kExpiry:
            if (!payload.canRead(kExpirySize)) return false;
            element.expiryTime = payload.u32be();
            break;
        case kValues:
            if (!payload.canRead(kValuesSize)) return false;
            for (uint16_t& value : element.values) value = payload.u16be();
            element.valueByte = payload.u8();
            break;
        default:
            return true;  // skipped
    }
    element.type = framed.type;
    return true;
}

}  // namespace

JQStatus decodeTopicMessage(ByteView object, TopicMessage& result) {
    result = TopicMessage{};
    ByteReader reader(object);
    result.objectType = reader.u16be();
    result.objectByte = reader.u8();
    if (!reader.ok() || result.objectType != kMessageObjectType) return JQ_ERR_FORMAT;
    const ByteView messageBytes = reader.rest();
    if (messageBytes.size < kMessageHeaderSize) return JQ_ERR_FORMAT;

    ByteReader message(messageBytes);
    result.messageByte = message.u8();
    result.messageTime = message.u32be();
    result.headerValues[0] = message.u16be();
    result.headerValues[1] = message.u16be();
    // The last two bytes are the trailer, never an element.
    const size_t elementsEnd = messageBytes.size - kTrailerSize;
    while (message.position() < elementsEnd) {
        TopicElement element;
        if (!readElement(message, element)) {
            result.elements.clear();
            return JQ_ERR_FORMAT;
        }
        if (element.type != 0) result.elements.push_back(element);
    }
    result.consumed = message.position() + kTrailerSize;
    return JQ_OK;
}

}  // namespace jq::newsindex
