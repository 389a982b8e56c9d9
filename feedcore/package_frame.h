// package_frame.h - the frame of a broadcast data package: its fixed header,
// packet header and second header, and where its payload lies.
//
// The index scan, the key-parameter search and the package reader all step
// over a data package through this one reader, so they agree on its extent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "feedcore.h"
#include "package.h"

namespace jq {

// The header fields of one data package and the extent of its payload.
struct PackageFrame {
    PackageHeader header;        // fixed and second header fields
    uint64_t offset = 0;         // the package's first byte
    uint64_t payloadOffset = 0;  // the payload's first byte

    size_t payloadSize() const { return size_t{header.PackageDataLength} * 8; }
    // The first byte after the package.
    uint64_t end() const { return payloadOffset + payloadSize(); }
    // The bytes the whole package occupies.
    uint64_t size() const { return end() - offset; }
};

// Reads the headers of the data package at offset; the payload stays unread.
// The packet header goes to packetHeader, or is skipped when that is null.
// Header bytes past the end of the file read as 0: a truncated package shows
// as a payload that is not whole. 19 for a failed read; 21 when no data
// package starts at offset (start code, key-parameter type) or its block
// count lies outside the format. frame.header keeps the fields read so far.
JQStatus readPackageFrame(ByteSource& source, uint64_t offset, PackageFrame& frame,
                          std::vector<uint8_t>* packetHeader);

}  // namespace jq
