// area_records.cpp - area code lists (types 0x71, 0x72, 0x7E).
//
// Only the plain data is read. A list is a run of 3-byte codes and 6-byte
// ranges; it ends after the entry with the end bit, or with the data. An
// entry cut short by the end of the data is not read: the list ends at the
// last whole entry, and for the grouped types that list is the last group
// (the cut bytes cannot start another group).
#include "area_records.h"

#include <memory>
#include <vector>

namespace jq::records {
namespace {

struct ScannedList {
    std::vector<AreaCodeEntry> entries;
    bool cutShort = false;  // the data ended inside an entry
};

ScannedList readList(ByteReader& in) {
    ScannedList list;
    while (!in.atEnd()) {
        if (!in.canRead(3)) break;
        const uint8_t flags = in.u8();
        AreaCodeEntry entry{};
        entry.EndIndicator = (flags >> 5) & 1;
        entry.Ranged = (flags >> 4) & 1;
        entry.LowerAreaCode = (uint32_t{flags & 1u} << 16) | in.u16be();
        entry.UpperAreaCode = entry.LowerAreaCode;
        if (entry.Ranged) {
            if (!in.canRead(3)) break;
            entry.UpperAreaCode = (uint32_t{in.u8() & 1u} << 16) | in.u16be();
        }
        list.entries.push_back(entry);
        if (entry.EndIndicator) return list;
    }
    list.cutShort = !in.atEnd();
    return list;
}

// Moves the entries into an owned array; null when there are none.
AreaCodeEntry* ownedEntries(const std::vector<AreaCodeEntry>& entries) {
    if (entries.empty()) return nullptr;
    AreaCodeEntry* owned = new AreaCodeEntry[entries.size()];
    for (size_t i = 0; i < entries.size(); ++i) owned[i] = entries[i];
    return owned;
}

// Groups under construction; releases their entries unless handed over.
template <typename Group>
struct GroupBuilder {
    std::vector<Group> groups;
    ~GroupBuilder() {
        for (Group& group : groups) delete[] group.entries;
    }
    void add(Group group, const ScannedList& list) {
        group.count = static_cast<uint32_t>(list.entries.size());
        groups.push_back(group);
        groups.back().entries = ownedEntries(list.entries);
    }
    Group* release(uint32_t& count) {
        count = static_cast<uint32_t>(groups.size());
        if (groups.empty()) return nullptr;
        Group* owned = new Group[groups.size()];
        for (size_t i = 0; i < groups.size(); ++i) owned[i] = groups[i];
        groups.clear();
        return owned;
    }
};

template <typename Record>
void releaseGroupedRecord(Record* record) {
    if (record == nullptr) return;
    for (uint32_t i = 0; record->groups != nullptr && i < record->count; ++i) {
        delete[] record->groups[i].entries;
    }
    delete[] record->groups;
    delete record;
}

void writeEntries(const AreaCodeEntry* entries, uint32_t count, CsvFile& out) {
    for (uint32_t i = 0; i < count; ++i) {
        const AreaCodeEntry& e = entries[i];
        out.line("EndIndicator,Ranged,LowerAreaCode,UpperAreaCode\n");
        out.line("%d,%d,%d,%d\n", e.EndIndicator, e.Ranged, e.LowerAreaCode, e.UpperAreaCode);
    }
}

}  // namespace

JQStatus parseAreaCodes(const RecordInput& input, AreaCodeList& record) {
    if (input.data.empty()) return JQ_ERR_NULL_ARGUMENT;
    ByteReader in(input.data);
    const ScannedList list = readList(in);
    record.count = static_cast<uint32_t>(list.entries.size());
    record.entries = ownedEntries(list.entries);
    return JQ_OK;
}

JQStatus parseCmidAreas(const RecordInput& input, CmidAreaRecord& record) {
    if (input.data.empty()) return JQ_ERR_NULL_ARGUMENT;
    ByteReader in(input.data);
    GroupBuilder<CmidAreaList> builder;
    while (!in.atEnd()) {
        if (!in.canRead(2)) break;  // a CMID cut short: no further group
        CmidAreaList group{};
        group.CMID = in.u16be();
        if (in.atEnd()) return JQ_ERR_NULL_ARGUMENT;  // a CMID without a list
        const ScannedList list = readList(in);
        builder.add(group, list);
        if (list.cutShort) break;
    }
    record.groups = builder.release(record.count);
    return JQ_OK;
}

JQStatus parseTimeOffsetAreas(const RecordInput& input, TimeOffsetAreaRecord& record) {
    if (input.data.empty()) return JQ_ERR_EXCEPTION;
    ByteReader in(input.data);
    GroupBuilder<TimeOffsetAreaList> builder;
    while (!in.atEnd()) {
        const uint8_t offset = in.u8();
        TimeOffsetAreaList group{};
        group.HalfHourOffset = (offset >> 6) & 1;
        group.DaylightSaving = (offset >> 5) & 1;
        group.OffsetPolarity = (offset >> 4) & 1;
        group.Offset = offset & 0x0F;
        const ScannedList list = readList(in);
        builder.add(group, list);
        if (list.cutShort) break;
    }
    record.groups = builder.release(record.count);
    return JQ_OK;
}

void releaseAreaCodes(AreaCodeList* record) {
    if (record == nullptr) return;
    delete[] record->entries;
    delete record;
}

void releaseCmidAreas(CmidAreaRecord* record) { releaseGroupedRecord(record); }

void releaseTimeOffsetAreas(TimeOffsetAreaRecord* record) { releaseGroupedRecord(record); }

void writeAreaCodes(const AreaCodeList& record, CsvFile& out) {
    for (uint32_t i = 0; i < record.count; ++i) {
        writeEntries(&record.entries[i], 1, out);
        out.line("\n");
    }
}

void writeCmidAreas(const CmidAreaRecord& record, CsvFile& out) {
    for (uint32_t i = 0; i < record.count; ++i) {
        const CmidAreaList& group = record.groups[i];
        out.line("CMID,%d\n", group.CMID);
        writeEntries(group.entries, group.count, out);
        out.line("\n");
    }
}

void writeTimeOffsetAreas(const TimeOffsetAreaRecord& record, CsvFile& out) {
    for (uint32_t i = 0; i < record.count; ++i) {
        const TimeOffsetAreaList& group = record.groups[i];
        out.line("HalfHourOffset,DaylightSaving,OffsetPolarity,Offset\n");
        out.line("%d,%d,%d,%d\n", group.HalfHourOffset, group.DaylightSaving, group.OffsetPolarity,
                 group.Offset);
        writeEntries(group.entries, group.count, out);
        out.line("\n");
    }
}

}  // namespace jq::records
