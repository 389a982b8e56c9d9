// topic_object.cpp - topic message objects.
#include "topic_object.h"

#include "put_bytes.h"

namespace jq::write {

namespace {

constexpr uint16_t kExpiryType = 5;
constexpr uint16_t kValuesType = 7;

}  // namespace

TypedElement topicExpiryElement(uint32_t seconds) {
    TypedElement element;
    element.type = kExpiryType;
    element.payload = Put().be32(seconds).out;
    return element;
}

TypedElement topicValuesElement(uint16_t first, uint16_t second, uint16_t third, uint8_t last) {
    TypedElement element;
    element.type = kValuesType;
    element.payload = Put().be16(first).be16(second).be16(third).u8(last).out;
    return element;
}

Bytes topicObjectBytes(const TopicObject& object) {
    Put out;
    out.be16(object.objectType).u8(object.objectByte);
    out.u8(object.messageByte).be32(object.messageTime);
    out.be16(object.headerValues[0]).be16(object.headerValues[1]);
    putTypedElements(out, object.elements, "a topic element payload");
    return out.bytes(object.trailer).out;
}

Bytes tolvoTopicMessagePacketHeader(const TopicMessage& message) {
    return Put()
        .le16(message.serialNumber)
        .u8(message.messageId)
        .u8(message.serviceId)
        .be16(message.smk)
        .out;
}

}  // namespace jq::write
