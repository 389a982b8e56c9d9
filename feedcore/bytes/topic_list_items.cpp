// topic_list_items.cpp - one entry of a topic list: a 0xFF-extended leading
// number, the category byte(s), title, details and object reference (each
// after a length byte), and for 0x6F a trailing MessageID.
#include "topic_list_items.h"

namespace jq::records {
namespace {

constexpr size_t kObjectIdsSize = 3;  // ObjectID and ServiceID

}  // namespace

bool readTopicListItem(ByteReader& data, TopicListLayout layout, TopicListItem& item) {
    item = TopicListItem{};
    item.leadingValue = data.ffExtended();
    const uint8_t category = data.u8();
    item.majorCategoryId = category >> 3;
    item.minorCategoryId = layout == TopicListLayout::Split6F ? data.u8() : category & 0x07;
    item.title = data.bytes(data.u8());
    item.details = data.bytes(data.u8());
    item.object = data.bytes(data.u8());
    if (layout == TopicListLayout::Split6F) item.messageId = data.u8();
    if (!data.ok()) return false;
    if (item.object.empty()) return true;
    if (item.object.size < kObjectIdsSize) return false;
    ByteReader ids(item.object);
    item.objectId = ids.u16be();
    item.serviceId = ids.u8();
    return true;
}

}  // namespace jq::records
