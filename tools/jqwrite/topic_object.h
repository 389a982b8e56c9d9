// topic_object.h - writes the message object of a topic message: its header
// and typed elements from readable fields, and the packet header of the
// container (Tolvo) reading.
//
// Object: the 16-bit object type, one byte, then the message: one byte, a
// 32-bit time, two 16-bit values, the elements and a two-byte trailer.
// Elements are framed as typed_element.h has it. All big-endian.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jqwrite.h"
#include "record_data.h"
#include "typed_element.h"

namespace jq::write {

struct TopicObject {
    uint16_t objectType = 6;
    uint8_t objectByte = 0;
    uint8_t messageByte = 0;
    uint32_t messageTime = 0;  // seconds since 1991-12-31 00:00:00 UTC
    uint16_t headerValues[2] = {};
    std::vector<TypedElement> elements;
    Bytes trailer = {0, 0};  // any other size is a fault
};

// A type 5 element: the expiry time in seconds since 1991-12-31 00:00:00.
TypedElement topicExpiryElement(uint32_t seconds);
// A type 7 element: three 16-bit values and one byte.
TypedElement topicValuesElement(uint16_t first, uint16_t second, uint16_t third, uint8_t last);

// Throws std::invalid_argument for a payload above 65,533 bytes.
Bytes topicObjectBytes(const TopicObject& object);

// The packet header as the container reading has it: SerialNumber
// little-endian, MessageID, ServiceID, then SMK big-endian.
Bytes tolvoTopicMessagePacketHeader(const TopicMessage& message);

}  // namespace jq::write
