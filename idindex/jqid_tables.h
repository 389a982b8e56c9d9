// jqid_tables.h - the six tables of the JQID index.
//
// Entries are not decoded records: each remembers where its bytes lie in the
// package data that the load keeps, and holds only the values the queries
// search and compare. All tables are sorted arrays, ordered by their key as
// an unsigned number; the link tables keep entries with equal keys in the
// order of their delivery.
//
// Packages are merged one by one in load order. The later of two packages
// with the same JQID wins; within one package the first entry of a JQID does.
// A link delivered again (same JQID1 and JQID2) replaces the earlier copy and
// counts as delivered last. The merges are collected as they come and
// resolved by finish(), once per load: the queries see the tables only after
// that.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "feedcore.h"
#include "index_frame.h"

namespace jq::idindex {

// Dates are seconds since 1991-12-31 00:00:00 UTC.
struct Validity {
    uint32_t effective = 0;
    uint32_t expiry = 0;
};

// Where an entry's bytes lie: its first byte is that of its entry length.
struct EntryBytes {
    const uint8_t* start = nullptr;
    uint32_t extent = 0;  // length field and body, as read
    uint32_t length = 0;  // the entry length: body bytes
};

// An entry of any kind but link.
struct MainEntry {
    uint64_t jqid = 0;
    EntryBytes bytes;
    Validity validity;
    // Four-, two- and one-byte ID kinds: the ID; message: MessageID * 256 +
    // ServiceID; event: EventID.
    uint32_t id = 0;
    uint16_t kind = 0;  // 0 for events, else the table's CurrentGRT
    uint16_t gcn = 0;   // events only
};

struct LinkEntry {
    uint64_t jqid1 = 0;
    uint64_t jqid2 = 0;
    EntryBytes bytes;
    Validity validity;
    uint32_t delivery = 0;  // order of delivery among the links kept
};

// A derived table's key and its entry's position in the main table.
struct DerivedKey {
    uint32_t key = 0;
    uint32_t entry = 0;
};

constexpr uint16_t kPadKind = 1100;
constexpr uint16_t kTadKind = 1200;
constexpr uint16_t kMessageKind = 1300;

class JqidTables final : public index::IndexTables {
public:
    // The table builder: merges one type-223 package. 0, 17 (no packet
    // header, data or data length), 21 (packet header below 6 bytes or a
    // CurrentGRT that names no kind) or 0xC0DF (an entry that does not fit
    // its kind: those before it are merged).
    JQStatus addPackage(const PackageRecord& package);
    void clear() override;

    // Resolves the merges into the main and link tables and builds the PAD,
    // TAD and MSID tables from the main table.
    void finish();

    // The load: every package goes to the builder; the result is the status
    // of the second pass's last step (a file's decryption when it failed,
    // else the builder's for each package), 0 when that pass had no step.
    void fileDecoded(index::Pass pass, JQStatus status) override;
    void takePackage(index::Pass pass, const PackageRecord& package) override;
    JQStatus loadEnded() override;

    // --- lookups (after finish) ---
    const MainEntry* find(uint64_t jqid) const;
    // The main entries whose JQID has these upper 32 bits, ascending.
    std::span<const MainEntry> withUpperBits(uint32_t upper) const;
    // The links from jqid1 in delivery order.
    std::span<const LinkEntry> linksFrom(uint64_t jqid1) const;
    // The links to jqid2 in delivery order.
    std::vector<const LinkEntry*> linksTo(uint64_t jqid2) const;
    const MainEntry* findPad(uint32_t pad) const { return findDerived(pads_, pad); }
    const MainEntry* findTad(uint32_t tad) const { return findDerived(tads_, tad); }
    const MainEntry* findMessage(uint16_t key) const { return findDerived(messages_, key); }

    // Every main entry by JQID; every link by first JQID.
    std::span<const MainEntry> mainEntries() const { return main_; }
    std::span<const LinkEntry> links() const { return linksByFirst_; }
    // Bytes the tables hold, for the benchmarks.
    size_t memoryUsed() const;

private:
    JQStatus addLinks(const PackageRecord& package);
    JQStatus addEntries(const PackageRecord& package, uint32_t kind);
    void resolveMain();
    bool concatenateDisjointPackages();
    void mergeByRadixSort(size_t count);
    void resolveLinks();
    std::vector<DerivedKey> derive(uint16_t kind) const;
    const MainEntry* findDerived(const std::vector<DerivedKey>& table, uint32_t key) const;

    // The entries of each package merged, in merge order; kept per package so
    // that collecting them never moves what was collected.
    std::vector<std::vector<MainEntry>> pendingMain_;
    std::vector<LinkEntry> pendingLinks_;
    uint32_t linksDelivered_ = 0;
    JQStatus secondPassStatus_ = JQ_OK;

    std::vector<MainEntry> main_;
    // The JQIDs of main_, searched instead of it: a dense array of keys keeps
    // the search within fewer cache lines.
    std::vector<uint64_t> mainJqids_;
    std::vector<LinkEntry> linksByFirst_;
    std::vector<uint32_t> linksBySecond_;  // positions in linksByFirst_
    std::vector<DerivedKey> pads_;
    std::vector<DerivedKey> tads_;
    std::vector<DerivedKey> messages_;
};

}  // namespace jq::idindex
