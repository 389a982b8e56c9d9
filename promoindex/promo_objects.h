// promo_objects.h - the advertisement objects of the A files: the table of
// one call, filled from feedcore's parse lists, and the host's list made
// from it.
//
// The table keeps, per PAID, a copy of the winning object's bytes, so that
// each file's parse list goes back to feedcore as soon as it has been filed;
// the final list takes those copies over.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "feedcore.h"
#include "index_frame.h"
#include "promoindex.h"

namespace jq::promoindex {

// This PC's HostID when the machine settings name none.
inline constexpr uint32_t kDefaultHostId = 2143;

// Record types 0x56 and 0xD7, the objects named by a PAID.
bool isPromoType(uint32_t typeCode);

// The table of one call.
class PromoTables final : public index::IndexTables {
public:
    // The winning object of one PAID.
    struct Entry {
        uint32_t key = 0;  // the PAID of the packet header, by which the table files
        uint16_t hostId = 0;
        uint8_t recordType = 0;
        uint32_t paid = 0;  // the record's
        uint32_t size = 0;
        std::unique_ptr<uint8_t[]> bytes;  // null when size is 0
    };

    explicit PromoTables(uint32_t localHostId = kDefaultHostId) : localHostId_(localHostId) {}

    // A file that feedcore cannot parse contributes nothing and stops no
    // one: the load always ends with 0.
    void fileDecoded(index::Pass, JQStatus) override {}
    void takeParsed(index::Pass pass, const ParseElement& element) override;
    JQStatus loadEnded() override { return JQ_OK; }
    void clear() override;

    // Files one element of type 0x56 or 0xD7. An element without its record
    // or with fewer than 4 packet header bytes is skipped.
    void file(const ParseElement& element);

    // The HostID of this PC, against which the objects are judged; set
    // before the load.
    void setLocalHostId(uint32_t hostId) { localHostId_ = hostId; }
    uint32_t localHostId() const { return localHostId_; }

    // The number of PAIDs filed.
    size_t size() const { return entries_.size(); }
    // Writes the winners into elements, size() of them, in ascending PAID
    // order, the object bytes moved over, and empties the table. Until the
    // last allocation has succeeded nothing is written.
    void moveInKeyOrder(OBJ9* elements);

private:
    // A slot of the hash: empty, or a key and the index of its entry plus 1.
    struct Slot {
        uint32_t key = 0;
        uint32_t entry = 0;  // 0 when empty
    };

    // The slot of key: the one holding it, or the empty one where it would
    // go.
    Slot& slotOf(uint32_t key);
    void growSlots();

    uint32_t localHostId_;
    // The winners in the order they were first filed; a later winner of the
    // same PAID takes its place. A deque, in small blocks: one large buffer
    // regrown and freed on every call would come back as fresh pages each
    // time.
    std::deque<Entry> entries_;
    // An open-addressing hash over the keys, which holds them itself so that
    // a probe reads one line: far cheaper than an ordered map of 20,000
    // nodes, the order being made once, at the end.
    std::vector<Slot> slots_;
};

// The host's list of the table's objects in ascending PAID order; the
// elements take the table's copies of the bytes over. The list record is
// written only once everything is allocated; an exception leaves it as it
// was.
void fillObjectList(PromoTables& tables, OBJ9List& list);

// Releases every object and the elements, and nulls the elements.
void releaseObjectList(OBJ9List& list);

// One whole enumeration: feedcore from source, the folders given or those of
// "AD.ini" beside the host, every file matching namePattern ("A*", or "*" in
// Tolvo mode), the table judged against localHostId, the list filled. 0 or
// 23; feedcore is unloaded again on every path, exceptions included.
JQStatus enumerateObjects(OBJ9List& list, const std::vector<index::PathString>* folders,
                          uint32_t localHostId, const index::PathString& namePattern,
                          index::DecoderSource source = index::loadDecoderBesideHost);

}  // namespace jq::promoindex
