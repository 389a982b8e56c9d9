// jqid_tables.cpp - merging JQID table packages into the index.
//
// Package data: a 32-bit TimeStamp, then entries back to back to the end.
// The packet header's first word holds the flag and the 15-bit CurrentGRT
// that selects the entries' kind (16384 and above: links).
#include "jqid_tables.h"

#include <algorithm>
#include <tuple>

#include "byte_reader.h"
#include "jqid_entries.h"
#include "radix_sort.h"

namespace jq::idindex {
namespace {

constexpr size_t kPacketHeaderSize = 6;
constexpr size_t kTimeStampSize = 4;
constexpr uint16_t kLinkGrt = 0x4000;
constexpr JQStatus kContentError = JQ_ERR_RECORD_BASE + 0xDF;
constexpr unsigned kJqidBytes = 6;
// Bytes of the smallest entry (a one-byte ID) and of a link, length included:
// a package holds at most its data length over these.
constexpr size_t kSmallestEntry = 16;
constexpr size_t kLinkEntrySize = 21;

// Reads the entries of a package's data after its TimeStamp, handing each
// entry's bytes and key values to take, up to the end of the data or the
// first entry that does not fit the kind. Returns 0 or that entry's status.
template <typename Take>
JQStatus readEntries(const PackageRecord& package, uint32_t kind, Take take) {
    const ByteView data{package.data, package.dataLength};
    ByteReader reader(data);
    reader.skip(kTimeStampSize);
    if (!reader.ok()) return kContentError;
    const records::JqidKeyReader keyReader(kind);
    while (!reader.atEnd()) {
        const size_t start = reader.position();
        records::JqidKeys keys;
        const JQStatus status = keyReader.read(reader, keys);
        if (status != JQ_OK) return status;
        const EntryBytes bytes{data.data + start, static_cast<uint32_t>(reader.position() - start),
                               keys.length};
        take(bytes, keys);
    }
    return JQ_OK;
}

uint16_t currentGrt(const PackageRecord& package) {
    return ByteReader(package.packetHeader, package.PacketHeaderLength).u16be() & 0x7FFF;
}

bool linkLess(const LinkEntry& a, const LinkEntry& b) {
    return std::tie(a.jqid1, a.delivery) < std::tie(b.jqid1, b.delivery);
}

}  // namespace

JQStatus JqidTables::addPackage(const PackageRecord& package) {
    if (package.packetHeader == nullptr || package.PacketHeaderLength == 0 ||
        package.data == nullptr || package.dataLength == 0) {
        return JQ_ERR_NULL_ARGUMENT;
    }
    if (package.PacketHeaderLength < kPacketHeaderSize) return JQ_ERR_FORMAT;
    const uint16_t grt = currentGrt(package);
    if (grt >= kLinkGrt) return addLinks(package);
    const uint32_t kind = records::jqidKindOfTable(grt);
    if (kind == records::kJqidNoKind) return JQ_ERR_FORMAT;
    return addEntries(package, kind);
}

// Links are merged in the order of their first JQID, equal ones in the order
// of the package; each counts as delivered when merged.
JQStatus JqidTables::addLinks(const PackageRecord& package) {
    std::vector<LinkEntry> links;
    links.reserve(package.dataLength / kLinkEntrySize);
    const JQStatus status =
        readEntries(package, records::kJqidLinkKind,
                    [&](const EntryBytes& bytes, const records::JqidKeys& keys) {
                        links.push_back({keys.jqid,
                                         keys.jqid2,
                                         bytes,
                                         {keys.effective, keys.expiry},
                                         static_cast<uint32_t>(links.size())});
                    });
    std::stable_sort(links.begin(), links.end(), linkLess);
    for (LinkEntry& link : links) link.delivery = linksDelivered_++;
    pendingLinks_.insert(pendingLinks_.end(), links.begin(), links.end());  // grows geometrically
    return status;
}

JQStatus JqidTables::addEntries(const PackageRecord& package, uint32_t kind) {
    std::vector<MainEntry>& entries = pendingMain_.emplace_back();
    entries.reserve(package.dataLength / kSmallestEntry);
    return readEntries(package, kind, [&](const EntryBytes& bytes, const records::JqidKeys& keys) {
        entries.push_back({keys.jqid,
                           bytes,
                           {keys.effective, keys.expiry},
                           keys.id,
                           static_cast<uint16_t>(kind),
                           keys.gcn});
    });
}

void JqidTables::fileDecoded(index::Pass pass, JQStatus status) {
    if (pass == index::Pass::Second && status != JQ_OK) secondPassStatus_ = status;
}

void JqidTables::takePackage(index::Pass pass, const PackageRecord& package) {
    const JQStatus status = addPackage(package);
    if (pass == index::Pass::Second) secondPassStatus_ = status;
}

JQStatus JqidTables::loadEnded() {
    if (secondPassStatus_ == JQ_OK) finish();
    return secondPassStatus_;
}

void JqidTables::clear() {
    pendingMain_ = {};
    pendingLinks_ = {};
    linksDelivered_ = 0;
    secondPassStatus_ = JQ_OK;
    main_ = {};
    mainJqids_ = {};
    linksByFirst_ = {};
    linksBySecond_ = {};
    pads_ = {};
    tads_ = {};
    messages_ = {};
}

void JqidTables::finish() {
    resolveMain();
    resolveLinks();
    pads_ = derive(kPadKind);
    tads_ = derive(kTadKind);
    messages_ = derive(kMessageKind);
}

namespace {

bool ascending(const std::vector<MainEntry>& entries) {
    return std::is_sorted(entries.begin(), entries.end(),
                          [](const MainEntry& a, const MainEntry& b) { return a.jqid < b.jqid; });
}

// Appends entries whose JQIDs ascend, the first of equal ones.
void appendFirstOfEach(const std::vector<MainEntry>& entries, std::vector<MainEntry>& table) {
    for (const MainEntry& entry : entries) {
        if (table.empty() || table.back().jqid != entry.jqid) table.push_back(entry);
    }
}

}  // namespace

// For each JQID the entry of the last package that carried it, the first of
// that package.
void JqidTables::resolveMain() {
    size_t count = 0;
    for (const std::vector<MainEntry>& entries : pendingMain_) count += entries.size();
    main_.clear();
    main_.reserve(count);
    if (!concatenateDisjointPackages()) mergeByRadixSort(count);
    main_.shrink_to_fit();
    mainJqids_.clear();
    mainJqids_.reserve(main_.size());
    for (const MainEntry& entry : main_) mainJqids_.push_back(entry.jqid);
    pendingMain_ = {};
}

// The common case: each package's JQIDs ascend and the packages' ranges do
// not overlap, so no JQID is in two packages and the packages, ordered by
// their first JQID, need only be joined. False, with nothing done, otherwise.
bool JqidTables::concatenateDisjointPackages() {
    std::vector<uint32_t> packages;
    for (uint32_t p = 0; p < pendingMain_.size(); ++p) {
        if (pendingMain_[p].empty()) continue;
        if (!ascending(pendingMain_[p])) return false;
        packages.push_back(p);
    }
    const auto first = [this](uint32_t p) { return pendingMain_[p].front().jqid; };
    std::sort(packages.begin(), packages.end(),
              [&](uint32_t a, uint32_t b) { return first(a) < first(b); });
    for (size_t i = 1; i < packages.size(); ++i) {
        if (pendingMain_[packages[i - 1]].back().jqid >= first(packages[i])) return false;
    }
    for (uint32_t p : packages) appendFirstOfEach(pendingMain_[p], main_);
    return true;
}

// Any order: the entries sorted by JQID, stably, from an order that takes
// the packages from the last to the first.
void JqidTables::mergeByRadixSort(size_t count) {
    struct Pending {
        uint64_t jqid;
        uint32_t package;
        uint32_t position;
    };
    std::vector<Pending> order;
    order.reserve(count);
    for (auto p = static_cast<uint32_t>(pendingMain_.size()); p-- > 0;) {
        const std::vector<MainEntry>& entries = pendingMain_[p];
        for (uint32_t i = 0; i < entries.size(); ++i) order.push_back({entries[i].jqid, p, i});
    }
    radixSort(
        order, [](const Pending& p) { return p.jqid; }, kJqidBytes);
    for (const Pending& pending : order) {
        if (main_.empty() || main_.back().jqid != pending.jqid) {
            main_.push_back(pendingMain_[pending.package][pending.position]);
        }
    }
}

// Of each link (JQID1, JQID2) the copy delivered last; both tables order
// equal keys by delivery. The pending links are in delivery order.
void JqidTables::resolveLinks() {
    struct Pair {
        uint64_t jqid1;
        uint64_t jqid2;
        uint32_t index;
    };
    std::vector<Pair> pairs;
    pairs.reserve(pendingLinks_.size());
    for (auto i = static_cast<uint32_t>(pendingLinks_.size()); i-- > 0;) {
        pairs.push_back({pendingLinks_[i].jqid1, pendingLinks_[i].jqid2, i});
    }
    radixSort(
        pairs, [](const Pair& p) { return p.jqid2; }, kJqidBytes);
    radixSort(
        pairs, [](const Pair& p) { return p.jqid1; }, kJqidBytes);
    std::vector<bool> kept(pendingLinks_.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const bool again =
            i > 0 && pairs[i - 1].jqid1 == pairs[i].jqid1 && pairs[i - 1].jqid2 == pairs[i].jqid2;
        if (!again) kept[pairs[i].index] = true;
    }
    pairs = {};

    struct Keyed {
        uint64_t key;
        uint32_t index;
    };
    std::vector<Keyed> byFirst;
    for (uint32_t i = 0; i < pendingLinks_.size(); ++i) {
        if (kept[i]) byFirst.push_back({pendingLinks_[i].jqid1, i});
    }
    radixSort(
        byFirst, [](const Keyed& k) { return k.key; }, kJqidBytes);
    std::vector<uint32_t> positionOf(pendingLinks_.size());
    linksByFirst_.clear();
    linksByFirst_.reserve(byFirst.size());
    for (const Keyed& k : byFirst) {
        positionOf[k.index] = static_cast<uint32_t>(linksByFirst_.size());
        linksByFirst_.push_back(pendingLinks_[k.index]);
    }

    std::vector<Keyed> bySecond;
    bySecond.reserve(byFirst.size());
    for (uint32_t i = 0; i < pendingLinks_.size(); ++i) {
        if (kept[i]) bySecond.push_back({pendingLinks_[i].jqid2, positionOf[i]});
    }
    radixSort(
        bySecond, [](const Keyed& k) { return k.key; }, kJqidBytes);
    linksBySecond_.clear();
    linksBySecond_.reserve(bySecond.size());
    for (const Keyed& k : bySecond) linksBySecond_.push_back(k.index);
    pendingLinks_ = {};
}

// The entries of one kind filed under that GRT, by their ID (for messages
// MessageID * 256 + ServiceID); of equal keys
// the one with the lowest JQID.
std::vector<DerivedKey> JqidTables::derive(uint16_t kind) const {
    std::vector<DerivedKey> table;
    const std::span<const MainEntry> range = withUpperBits(kind);
    const auto first = static_cast<uint32_t>(range.data() - main_.data());
    for (uint32_t i = 0; i < range.size(); ++i) {
        if (range[i].kind == kind) table.push_back({range[i].id, first + i});
    }
    std::stable_sort(table.begin(), table.end(),
                     [](const DerivedKey& a, const DerivedKey& b) { return a.key < b.key; });
    table.erase(
        std::unique(table.begin(), table.end(),
                    [](const DerivedKey& a, const DerivedKey& b) { return a.key == b.key; }),
        table.end());
    table.shrink_to_fit();
    return table;
}

const MainEntry* JqidTables::find(uint64_t jqid) const {
    const auto it = std::lower_bound(mainJqids_.begin(), mainJqids_.end(), jqid);
    return it != mainJqids_.end() && *it == jqid ? &main_[it - mainJqids_.begin()] : nullptr;
}

std::span<const MainEntry> JqidTables::withUpperBits(uint32_t upper) const {
    const uint64_t low = uint64_t{upper} << 32;
    const auto begin = std::lower_bound(mainJqids_.begin(), mainJqids_.end(), low);
    const auto end = std::lower_bound(begin, mainJqids_.end(), low + (uint64_t{1} << 32));
    return {main_.data() + (begin - mainJqids_.begin()), static_cast<size_t>(end - begin)};
}

std::span<const LinkEntry> JqidTables::linksFrom(uint64_t jqid1) const {
    const auto begin =
        std::lower_bound(linksByFirst_.begin(), linksByFirst_.end(), jqid1,
                         [](const LinkEntry& e, uint64_t key) { return e.jqid1 < key; });
    const auto end =
        std::upper_bound(begin, linksByFirst_.end(), jqid1,
                         [](uint64_t key, const LinkEntry& e) { return key < e.jqid1; });
    return {linksByFirst_.data() + (begin - linksByFirst_.begin()),
            static_cast<size_t>(end - begin)};
}

std::vector<const LinkEntry*> JqidTables::linksTo(uint64_t jqid2) const {
    auto at =
        std::lower_bound(linksBySecond_.begin(), linksBySecond_.end(), jqid2,
                         [this](uint32_t i, uint64_t key) { return linksByFirst_[i].jqid2 < key; });
    std::vector<const LinkEntry*> links;
    for (; at != linksBySecond_.end() && linksByFirst_[*at].jqid2 == jqid2; ++at) {
        links.push_back(&linksByFirst_[*at]);
    }
    return links;
}

const MainEntry* JqidTables::findDerived(const std::vector<DerivedKey>& table, uint32_t key) const {
    const auto it = std::lower_bound(table.begin(), table.end(), key,
                                     [](const DerivedKey& e, uint32_t k) { return e.key < k; });
    return it != table.end() && it->key == key ? &main_[it->entry] : nullptr;
}

size_t JqidTables::memoryUsed() const {
    return main_.capacity() * sizeof(MainEntry) + mainJqids_.capacity() * sizeof(uint64_t) +
           linksByFirst_.capacity() * sizeof(LinkEntry) +
           linksBySecond_.capacity() * sizeof(uint32_t) +
           (pads_.capacity() + tads_.capacity() + messages_.capacity()) * sizeof(DerivedKey);
}

}  // namespace jq::idindex
