// channel_map_records.cpp - channel maps (type 0xF3).
//
// Packet header: CMID be16; further bytes unread. Plain data: groups back to
// back up to its end, each
//
//   L u8 | GCN be16 | L - 2 bytes of service entries
//
// and the next group starts L + 1 bytes after this one. Each entry's first
// byte holds LastFlag in bit 7 and a kind in bits 6-0:
//
//   0x01-0x3E  BandType 1, 1 byte: AnalogCH in bits 5-0
//   0x40       BandType 2, 6 bytes: NID be16, SID be16, ServiceType u8
//   0x41-0x4E  BandType 3, 1 byte: AnalogCH in bits 3-0
//   0x50-0x7F  BandType 4, 2 bytes: SourceType in bits 5-2, MultiCH in
//              bits 1-0 and the next byte (10 bits)
//   0x00, 0x3F, 0x4F  a filler byte, skipped
//
// Every entry is read by the kind in its own first byte, so a group may mix
// kinds (an analogue channel and a digital service for one GCN). Taking the
// kind of all entries from the group's first byte would read any later entry
// of another kind with the wrong length and fields, and a leading filler
// byte would turn the whole group into filler; the LastFlag bit beside the
// kind in every entry's first byte shows that each entry names its own.
//
// A group without entries is not kept. Reading never leaves the data: a
// group whose header is cut by the end of the data is dropped, one whose
// entries run past the end keeps the entries wholly inside the data, and the
// list ends there. An entry never extends past its group's L - 2 bytes
// either: one that would is not made, and the group ends before it.
#include "channel_map_records.h"

#include <algorithm>
#include <vector>

#include "collected.h"

namespace jq::records {
namespace {

constexpr size_t kPacketHeaderSize = 2;
// L counts the GCN before the entries.
constexpr uint8_t kGcnSize = 2;

constexpr uint8_t kKindMask = 0x7F;
constexpr uint8_t kDigitalKind = 0x40;
constexpr uint8_t kAnalogKindEnd = 0x3F;   // below: BandType 1; itself: filler
constexpr uint8_t kAnalog2KindEnd = 0x4F;  // 0x41 up to below: BandType 3; itself: filler
constexpr uint8_t kFillerKind = 0x00;

enum BandType : uint32_t { kNoBand = 0, kAnalog = 1, kDigital = 2, kAnalog2 = 3, kSource = 4 };

BandType bandTypeOf(uint8_t kind) {
    if (kind == kFillerKind || kind == kAnalogKindEnd || kind == kAnalog2KindEnd) return kNoBand;
    if (kind < kAnalogKindEnd) return kAnalog;
    if (kind == kDigitalKind) return kDigital;
    if (kind < kAnalog2KindEnd) return kAnalog2;
    return kSource;
}

// Reads the entry that starts with first; false when it does not fit in the
// group's remaining bytes.
bool readEntryFields(uint8_t first, BandType band, ByteReader& group, ChannelMapEntry& entry) {
    entry.BandType = band;
    entry.LastFlag = first >> 7;
    switch (band) {
        case kAnalog:
            entry.AnalogCH = first & 0x3F;
            break;
        case kDigital:
            entry.NID = group.u16be();
            entry.SID = group.u16be();
            entry.ServiceType = group.u8();
            break;
        case kAnalog2:
            entry.AnalogCH = first & 0x0F;
            break;
        case kSource:
            entry.SourceType = (first >> 2) & 0x0F;
            entry.MultiCH = static_cast<uint16_t>(((first & 0x03) << 8) | group.u8());
            break;
        case kNoBand:
            break;
    }
    return group.ok();
}

std::vector<ChannelMapEntry> readEntries(ByteReader group) {
    std::vector<ChannelMapEntry> entries;
    while (!group.atEnd()) {
        const uint8_t first = group.u8();
        const BandType band = bandTypeOf(first & kKindMask);
        if (band == kNoBand) continue;
        ChannelMapEntry entry{};
        if (!readEntryFields(first, band, group, entry)) break;
        entries.push_back(entry);
    }
    return entries;
}

void releaseGroup(ChannelMapGroup& group) {
    delete[] group.entries;
    group = {};
}

}  // namespace

JQStatus parseChannelMap(const RecordInput& input, ChannelMapRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    record.CMID = ByteReader(input.packetHeader).u16be();

    Collected<ChannelMapGroup, releaseGroup> groups;
    const size_t size = input.data.size;
    for (size_t p = 0; p < size;) {
        ByteReader group(input.data);
        group.skip(p);
        const uint8_t length = group.u8();
        const uint16_t gcn = group.u16be();
        if (!group.ok()) break;
        // L below 2 leaves no entry bytes; the next group still starts L + 1
        // bytes on, inside this group's GCN.
        const size_t entryBytes = length > kGcnSize ? length - kGcnSize : 0;
        const std::vector<ChannelMapEntry> entries =
            readEntries(group.sub(std::min(entryBytes, group.remaining())));
        if (!entries.empty()) {
            ChannelMapGroup& kept = groups.addEmpty();
            kept.GCN = gcn;
            kept.entries = new ChannelMapEntry[entries.size()]();
            std::copy(entries.begin(), entries.end(), kept.entries);
            kept.count = static_cast<uint32_t>(entries.size());
        }
        p += size_t{length} + 1;
    }
    groups.moveInto(record.groups, record.count);
    return JQ_OK;
}

void releaseChannelMap(ChannelMapRecord* record) {
    if (record == nullptr) return;
    releaseArray<ChannelMapGroup, releaseGroup>(record->groups, record->count);
    delete record;
}

void writeChannelMap(const ChannelMapRecord& record, CsvFile& out) {
    out.line("CMID,0x%04X\n", record.CMID);
    for (uint32_t i = 0; record.groups != nullptr && i < record.count; ++i) {
        const ChannelMapGroup& group = record.groups[i];
        out.line("GCN,0x%04X\nBandType,LastFlag,AnalogCH,NID,SID,ServiceType,SourceType,MultiCH\n",
                 group.GCN);
        for (uint32_t j = 0; group.entries != nullptr && j < group.count; ++j) {
            const ChannelMapEntry& e = group.entries[j];
            out.line("%d,%d,%d,0x%04X,0x%04X,0x%02X,%d,%d\n", e.BandType, e.LastFlag, e.AnalogCH,
                     e.NID, e.SID, e.ServiceType, e.SourceType, e.MultiCH);
        }
        out.line("\n");
    }
}

}  // namespace jq::records
