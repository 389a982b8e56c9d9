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
