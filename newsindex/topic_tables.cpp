// topic_tables.cpp - filing topic packages and building the views.
#include "topic_tables.h"

#include "platform.h"

namespace jq::newsindex {
namespace {

constexpr uint8_t kTopicList6F = 0x6F;
constexpr uint8_t kTopicList62 = 0x62;
constexpr uint8_t kTopicMessage6E = 0x6E;
constexpr uint8_t kTopicMessage61 = 0x61;

constexpr size_t kMessageHeaderSize = 6;
constexpr uint16_t kAcceptedBit = 0x02;
// Both message types report a refused message as the content error of 0x6E.
constexpr JQStatus kMessageRefused = JQ_ERR_RECORD_BASE + kTopicMessage6E;

ByteView packetHeaderOf(const PackageRecord& package) {
    return {package.packetHeader,
            package.packetHeader != nullptr ? package.PacketHeaderLength : 0u};
}

ByteView dataOf(const PackageRecord& package) {
    return {package.data, package.data != nullptr ? package.dataLength : 0u};
}

// The message identifiers of a packet header. The Tolvo layout has the
// SerialNumber first, little-endian, then MessageID and ServiceID.
void readMessageHeader(ByteReader header, bool tolvoLayout, TopicMessageEntry& entry) {
    if (tolvoLayout) {
        entry.serialNumber = header.u16le();
        entry.messageId = header.u8();
        entry.serviceId = header.u8();
    } else {
        entry.messageId = header.u8();
        entry.serviceId = header.u8();
        entry.serialNumber = header.u16be();
    }
    entry.smk = header.u16be();
}

// Puts every entry of the second pass's table into the main table, in
// ascending key order, in place of the main table's entry of its key.
template <typename Table>
void replaceEntries(Table& main, const Table& update) {
    update.forEach([&main](uint32_t key, const auto& entry) { main.replace(key, entry); });
}

// Files into the view every entry of the source whose key is not yet there.
template <typename View, typename Table>
void addToView(View& view, const Table& source) {
    source.forEach([&view](uint32_t key, const auto& entry) { view.fileFirst(key, &entry); });
}

}  // namespace

bool isTopicType(uint32_t typeCode) {
    return typeCode == kTopicList6F || typeCode == kTopicList62 || typeCode == kTopicMessage6E ||
           typeCode == kTopicMessage61;
}

void PassTables::clear() {
    for (TopicSource& source : byType) {
        source.majors.clear();
        source.minors.clear();
        source.messages.clear();
    }
}

JQStatus fileTopicList(const PackageRecord& package, records::TopicListLayout layout,
                       TopicSource& tables) {
    const ByteView data = dataOf(package);
    if (data.empty()) return JQ_ERR_NULL_ARGUMENT;
    ByteReader reader(data);
    TopicEntry entry;
    entry.hostId = package.HostID;
    while (!reader.atEnd() && records::readTopicListItem(reader, layout, entry.item)) {
        const records::TopicListItem& item = entry.item;
        if (item.minorCategoryId == 0) {
            tables.majors.fileFirst(item.majorCategoryId, entry);
        } else {
            tables.minors.fileFirst(item.majorCategoryId * 256u + item.minorCategoryId, entry);
        }
    }
    return JQ_OK;
}

JQStatus fileTopicMessage(const PackageRecord& package, bool tolvoLayout, TopicSource& tables) {
    const ByteView header = packetHeaderOf(package);
    const ByteView data = dataOf(package);
    if (header.empty() || data.empty()) return JQ_ERR_NULL_ARGUMENT;
    // Byte 1 of the data takes part in the acceptance test.
    if (header.size < kMessageHeaderSize || data.size < 2) return JQ_ERR_FORMAT;

    TopicMessageEntry entry;
    entry.hostId = package.HostID;
    readMessageHeader(ByteReader(header), tolvoLayout, entry);
    if ((entry.smk & kAcceptedBit) == 0 && (data.data[1] & kAcceptedBit) == 0) {
        return kMessageRefused;
    }
    entry.object = {data.data + 2, data.size - 2};
    tables.messages.fileFirst(entry.serviceId * 256u + entry.messageId, entry);
    return JQ_OK;
}

JQStatus TopicTables::file(index::Pass pass, const PackageRecord& package) {
    PassTables& tables = pass == index::Pass::Second ? update_ : main_;
    switch (package.TypeCode) {
        case kTopicList6F:
        case kTopicList62: {
            // Topic lists count only with a packet header.
            if (packetHeaderOf(package).empty()) return JQ_ERR_NULL_ARGUMENT;
            const bool split = package.TypeCode == kTopicList6F;
            return fileTopicList(
                package,
                split ? records::TopicListLayout::Split6F : records::TopicListLayout::Packed62,
                tables.byType[split ? 0 : 1]);
        }
        case kTopicMessage6E:
        case kTopicMessage61:
            return fileTopicMessage(package, tolvoLayout_,
                                    tables.byType[package.TypeCode == kTopicMessage6E ? 0 : 1]);
        default:
            return JQ_ERR_FORMAT;
    }
}

void TopicTables::takePackage(index::Pass pass, const PackageRecord& package) {
    file(pass, package);  // a refused package contributes nothing
}

void TopicTables::passEnded(index::Pass pass) {
    if (pass == index::Pass::Second) replaceFromSecondPass();
}

void TopicTables::replaceFromSecondPass() {
    for (int type = 0; type < 2; ++type) {
        TopicSource& main = main_.byType[type];
        const TopicSource& update = update_.byType[type];
        replaceEntries(main.majors, update.majors);
        replaceEntries(main.minors, update.minors);
        replaceEntries(main.messages, update.messages);
    }
    update_.clear();
}

JQStatus TopicTables::loadEnded() {
    buildViews();
    return JQ_OK;
}

void TopicTables::buildViews() {
    for (const TopicSource& source : main_.byType) {
        addToView(majorView_, source.majors);
        addToView(minorView_, source.minors);
        addToView(messageView_, source.messages);
    }
}

void TopicTables::clear() {
    majorView_.clear();
    minorView_.clear();
    messageView_.clear();
    main_.clear();
    update_.clear();
}

}  // namespace jq::newsindex
