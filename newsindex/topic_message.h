// topic_message.h - the message object of a topic message: a short header
// and a list of typed elements, decoded when a host asks for the message.
//
// Object: a 16-bit object type (6), one byte, then the message. Message: one
// byte, a 32-bit time, two 16-bit values, the elements, and a two-byte
// trailer that is never read as an element. Element: a 16-bit length L of
// its type field and payload together, the 16-bit type, L - 2 payload bytes.
// All values are big-endian; times are seconds since 1991-12-31 00:00:00 UTC.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_reader.h"
#include "jq_interface.h"

namespace jq::newsindex {

enum TopicElementType : uint16_t {
    kFirstData = 2,   // returned as the first buffer
    kExpiry = 5,      // a 32-bit time
    kSecondData = 6,  // returned as the second buffer
    kValues = 7,      // three 16-bit values and one byte
    kThirdData = 8,   // returned as the third buffer
    kKeptData = 9,    // kept, not returned
};

// A kept element. The payload is a view into the object.
struct TopicElement {
    uint16_t length = 0;  // L
    uint16_t type = 0;
    ByteView payload;           // types 2, 6, 8 and 9
    uint32_t expiryTime = 0;    // type 5
    uint16_t values[3] = {};    // type 7
    uint8_t valueByte = 0;      // type 7
};

struct TopicMessage {
    uint16_t objectType = 0;
    uint8_t objectByte = 0;
    uint8_t messageByte = 0;
    uint32_t messageTime = 0;
    uint16_t headerValues[2] = {};
    std::vector<TopicElement> elements;  // kept elements in the order read
    size_t consumed = 0;                 // bytes of the message read, trailer included
};

// Decodes an object: 0, or 21 when its type is not 6, it is shorter than 3
// bytes, its message is shorter than 9, or an element is malformed (a length
// below 2, a payload past the message, an expiry below 4 bytes or values
// below 7). A failure leaves no elements.
JQStatus decodeTopicMessage(ByteView object, TopicMessage& message);

}  // namespace jq::newsindex
