// topic_list_items.h - the entries of topic list packages (types 0x6F and
// 0x62), read one at a time as views into the plain data. Used by the topic
// list parser and by the topics index.
#pragma once

#include <cstdint>

#include "byte_reader.h"

namespace jq::records {

// 0x6F gives each entry a byte of its own for the minor category and a
// trailing MessageID; 0x62 packs both category numbers into one byte.
enum class TopicListLayout { Split6F, Packed62 };

// One entry as it stands in the data. The texts are without the zero byte
// that a stored copy adds.
struct TopicListItem {
    uint32_t leadingValue = 0;
    uint8_t majorCategoryId = 0;  // 0..31
    uint8_t minorCategoryId = 0;  // 0..255 (0x6F), 0..7 (0x62)
    ByteView title;
    ByteView details;
    ByteView object;        // the object reference: ObjectID, ServiceID, more
    uint16_t objectId = 0;  // object bytes 0-1, big-endian; 0 without object
    uint8_t serviceId = 0;  // object byte 2
    uint8_t messageId = 0;  // 0x6F only
};

// Reads the entry at the reader's position. False when it runs past the data
// or its object reference is too short for its identifiers: the list ends
// there.
bool readTopicListItem(ByteReader& data, TopicListLayout layout, TopicListItem& item);

}  // namespace jq::records
