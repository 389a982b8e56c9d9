// package_walker.h - steps through a broadcast file by its declared lengths,
// without decrypting: the walk behind the index scan and GetGCSP.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "feedcore.h"
#include "key_params.h"

namespace jq {

// What the walker found at one position.
struct WalkStep {
    enum class Kind { DataPackage, KeyPackage, FileHeader } kind = Kind::DataPackage;
    uint64_t offset = 0;
    uint8_t typeCode = 0;
    std::vector<uint8_t> packetHeader;         // data packages
    uint8_t keyPackage[kKeyPackageSize] = {};  // key-parameter packages
};

class PackageWalker {
public:
    // keepPacketHeaders false: data packages are skipped without copying
    // their packet headers, and the walk allocates nothing.
    PackageWalker(ByteSource& source, bool keepPacketHeaders)
        : source_(source), keepPacketHeaders_(keepPacketHeaders) {}

    // False once the position has reached the end of the file.
    bool more() const { return position_ < source_.size(); }
    // Reads the next step and moves past it. Payloads are skipped by their
    // declared length. 19 for a failed read, 21 for bytes that are neither a
    // package nor a file header, or a block count outside the format.
    JQStatus next(WalkStep& step);

private:
    JQStatus readKeyPackage(WalkStep& step);
    JQStatus skipDataPackage(WalkStep& step);

    ByteSource& source_;
    bool keepPacketHeaders_;
    uint64_t position_ = 0;
};

}  // namespace jq
