// package_walker.cpp - stepping through a broadcast file.
#include "package_walker.h"

#include "package.h"

namespace jq {
namespace {

constexpr uint8_t kFileHeaderMarker = 0x0E;
constexpr uint64_t kFileHeaderRest = 14;

}  // namespace

JQStatus PackageWalker::next(WalkStep& step) {
    step = WalkStep{};
    step.offset = position_;
    uint8_t lead[2];
    size_t got = 0;
    if (!source_.readHeader(position_, lead, sizeof lead, &got)) return JQ_ERR_READ;
    position_ += got;

    if (lead[0] == kStartCode) {
        step.typeCode = lead[1];
        if (lead[1] != kKeyPackageType) return skipDataPackage(step);
        step.kind = WalkStep::Kind::KeyPackage;
        step.keyPackage[0] = lead[0];
        step.keyPackage[1] = lead[1];
        if (!source_.readHeader(position_, step.keyPackage + 2, kKeyPackageSize - 2)) return JQ_ERR_READ;
        position_ += kKeyPackageSize - 2;
        return JQ_OK;
    }
    if (lead[1] == kFileHeaderMarker) {
        step.kind = WalkStep::Kind::FileHeader;
        position_ += kFileHeaderRest;
        return JQ_OK;
    }
    return JQ_ERR_FORMAT;
}

JQStatus PackageWalker::skipDataPackage(WalkStep& step) {
    // Six more bytes of the fixed header, then the packet header length.
    uint8_t length = 0;
    if (!source_.readHeader(position_ + 6, &length, 1)) return JQ_ERR_READ;
    position_ += 7;
    if (keepPacketHeaders_) {
        step.packetHeader.resize(length);
        if (!source_.readHeader(position_, step.packetHeader.data(), length)) return JQ_ERR_READ;
    }
    position_ += length;

    uint8_t second[2];
    if (!source_.readHeader(position_, second, sizeof second)) return JQ_ERR_READ;
    const unsigned blocks = ((second[0] & 0x3Fu) << 8) | second[1];
    if (blocks >= kPackageDataLengthLimit) return JQ_ERR_FORMAT;
    position_ += sizeof second + uint64_t{blocks} * 8 + 4;
    return JQ_OK;
}

}  // namespace jq
