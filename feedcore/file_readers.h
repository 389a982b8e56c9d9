// file_readers.h - the readers that walk whole files: index scans, the
// whole-file readers of both layouts, the single-package reader, the search
// for key parameters and the file header.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "feedcore.h"
#include "package.h"

namespace jq {

// One entry of the index scan.
struct IndexItem {
    uint64_t offset = 0;
    uint8_t typeCode = 0;
    std::vector<uint8_t> packetHeader;
};

// One entry header of a container file.
struct ContainerEntry {
    uint64_t offset = 0;       // the entry's first byte
    uint32_t entryLength = 0;  // the distance to the next entry
    uint16_t hostId = 0;
    uint16_t countryCode = 0;
    std::vector<uint8_t> packetHeader;  // 8 bytes for MICP blocks, else 6
    uint32_t dataLength = 0;
};

// The entries of a container file in order, each one found at the offset of
// the one before plus its entry length.
class ContainerEntries {
public:
    explicit ContainerEntries(ByteSource& source) : source_(source) {}

    // Reads the container header: 19 for an empty file, a failed read or a
    // total size other than the file's.
    JQStatus open();
    // The record type code of every entry, and their count, from the header.
    uint8_t typeCode() const { return typeCode_; }
    uint8_t count() const { return count_; }
    // True while the header counts more entries than were read.
    bool more() const { return read_ < count_; }
    // Reads the next entry header and steps past the entry. 19 unless the
    // header lies whole in the file: a count that runs past the end is a
    // damaged file, not a run of empty packages.
    JQStatus next(ContainerEntry& entry);
    // The data stored after an entry header; false unless it lies whole in
    // the file, which is checked before anything is allocated for it.
    bool readData(const ContainerEntry& entry, OwnedBytes& data);

private:
    ByteSource& source_;
    uint8_t typeCode_ = 0;
    uint8_t count_ = 0;
    unsigned read_ = 0;
    uint64_t offset_ = 0;
};

// Broadcast layout: lists every package (key parameters included) by its
// offset, type and packet header, skipping file headers.
JQStatus scanBroadcastIndex(ByteSource& source, std::vector<IndexItem>& items);

// Container layout. On a failure after the container header was read,
// declaredCount holds the header's package count (else 0).
JQStatus scanContainerIndex(ByteSource& source, std::vector<IndexItem>& items,
                            uint32_t& declaredCount);

// Broadcast layout: every data package through the payload pipeline, with
// the file's own key parameters or else with defaultBlock.
JQStatus readBroadcastFile(ByteSource& source, const GcspBlock& defaultBlock,
                           std::vector<Package>& packages);

// Container layout: every package's data as stored.
JQStatus readContainerFile(ByteSource& source, std::vector<Package>& packages);

// The broadcast package at offset, with the key parameters the whole-file
// reader would use.
JQStatus readPackageAt(ByteSource& source, int32_t offset, const GcspBlock& defaultBlock,
                       Package& package);

// The first key-parameter package wherever it stands: 0, or 21 when its
// terminator is wrong (block filled all the same), or 16 when there is none.
// Allocates nothing, so it cannot throw.
JQStatus findKeyParameters(ByteSource& source, GcspBlock& block);

// The 16-byte file header; 19 when the file does not begin with one (field 1
// keeps the value read).
JQStatus readFileHead(ByteSource& source, FileHeadInfo& info);

}  // namespace jq
