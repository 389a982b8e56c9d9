// jqid_queries.cpp - lookups, validity, lists and reverse lookups.
#include "jqid_queries.h"

#include <memory>
#include <vector>

#include "byte_reader.h"
#include "jqid_entries.h"

namespace jq::idindex {
namespace {

constexpr uint32_t kFirstListedGrt = 1001;
constexpr uint32_t kLastListedGrt = 16382;
constexpr uint32_t kEventGrtBits = 0xC000;

// Stores the JQIDs in a new array of the host's list; the list is touched
// only once the array exists.
JQStatus fillList(const std::vector<uint64_t>& jqids, JQIDList& list) {
    if (jqids.empty()) return JQ_ERR_NOT_FOUND;
    auto items = std::make_unique<uint64_t[]>(jqids.size());
    std::copy(jqids.begin(), jqids.end(), items.get());
    list.items = items.release();
    list.count = static_cast<uint32_t>(jqids.size());
    return JQ_OK;
}

JQStatus resultOf(const MainEntry* entry, const Filter& filter, uint64_t& jqid) {
    if (entry == nullptr || !filter.admits(entry->validity)) return JQ_ERR_NOT_FOUND;
    jqid = entry->jqid;
    return JQ_OK;
}

}  // namespace

bool isValidAt(const Validity& validity, DayZeroTime now) {
    return index::dayZeroTime(validity.effective) <= now &&
           now < index::dayZeroTime(validity.expiry);
}

uint16_t grtOfJqid(uint64_t jqid) {
    const auto upper = static_cast<uint32_t>(jqid >> 32);
    return (upper & 0x8000) != 0 ? 0 : static_cast<uint16_t>(upper & 0x7FFF);
}

bool isFound(const JqidTables& tables, uint64_t jqid, const Filter& filter) {
    if (const MainEntry* entry = tables.find(jqid)) return filter.admits(entry->validity);
    const std::span<const LinkEntry> links = tables.linksFrom(jqid);
    return !links.empty() && filter.admits(links.front().validity);
}

JQStatus decodeEntry(const JqidTables& tables, uint64_t jqid, JQIDEntry& entry) {
    const MainEntry* found = tables.find(jqid);
    if (found == nullptr) return JQ_ERR_NOT_FOUND;
    JQStatus status = JQ_ERR_RECORD_BASE + 0xDF;
    try {
        if (found->bytes.length != 0) {
            ByteReader reader(found->bytes.start, found->bytes.extent);
            status = records::decodeJqidEntry(reader, found->kind, entry);
        }
    } catch (...) {
        records::releaseJqidEntry(entry);
        throw;
    }
    if (status != JQ_OK) records::releaseJqidEntry(entry);
    return status;
}

JQStatus linkedJqids(const JqidTables& tables, uint64_t jqid, const int32_t* grt,
                     const Filter& filter, JQIDList& list) {
    const auto wanted = [&](uint64_t partner, const Validity& validity) {
        return filter.admits(validity) &&
               (grt == nullptr || grtOfJqid(partner) == static_cast<int16_t>(*grt));
    };
    std::vector<uint64_t> partners;
    for (const LinkEntry& link : tables.linksFrom(jqid)) {
        if (wanted(link.jqid2, link.validity)) partners.push_back(link.jqid2);
    }
    for (const LinkEntry* link : tables.linksTo(jqid)) {
        if (wanted(link->jqid1, link->validity)) partners.push_back(link->jqid1);
    }
    return fillList(partners, list);
}

bool grtIsListed(uint32_t grt) {
    return static_cast<uint16_t>(grt - kFirstListedGrt) <= kLastListedGrt - kFirstListedGrt;
}

JQStatus jqidsOfGrt(const JqidTables& tables, uint32_t grt, const Filter& filter, JQIDList& list) {
    if (!grtIsListed(grt)) return JQ_ERR_RANGE;
    std::vector<uint64_t> jqids;
    for (const MainEntry& entry : tables.withUpperBits(grt & 0x7FFF)) {
        if (entry.kind == static_cast<uint16_t>(grt) && filter.admits(entry.validity)) {
            jqids.push_back(entry.jqid);
        }
    }
    return fillList(jqids, list);
}

JQStatus eventToJqid(const JqidTables& tables, uint32_t gcn, uint32_t eventId, const Filter& filter,
                     uint64_t& jqid) {
    const auto gcn16 = static_cast<uint16_t>(gcn);
    const auto event16 = static_cast<uint16_t>(eventId);
    const uint64_t upper = kEventGrtBits | (gcn16 >> 2);
    const uint64_t lower = (uint64_t{gcn16 & 3u} << 30) | event16;
    const MainEntry* entry = tables.find(upper << 32 | lower);
    const bool matches = entry != nullptr && entry->kind == records::kJqidEventKind &&
                         entry->id == event16 && entry->gcn == gcn16;
    return resultOf(matches ? entry : nullptr, filter, jqid);
}

JQStatus padToJqid(const JqidTables& tables, uint32_t pad, const Filter& filter, uint64_t& jqid) {
    return resultOf(tables.findPad(pad), filter, jqid);
}

JQStatus tadToJqid(const JqidTables& tables, uint32_t tad, const Filter& filter, uint64_t& jqid) {
    return resultOf(tables.findTad(tad), filter, jqid);
}

JQStatus messageToJqid(const JqidTables& tables, uint32_t messageId, uint32_t serviceId,
                       const Filter& filter, uint64_t& jqid) {
    const auto key = static_cast<uint16_t>((messageId & 0xFF) << 8 | (serviceId & 0xFF));
    return resultOf(tables.findMessage(key), filter, jqid);
}

}  // namespace jq::idindex
