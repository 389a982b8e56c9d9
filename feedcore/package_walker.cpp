// package_walker.cpp - stepping through a broadcast file.
#include "package_walker.h"

#include "package.h"
#include "package_frame.h"

namespace jq {

JQStatus PackageWalker::next(WalkStep& step) {
    step = WalkStep{};
    step.offset = position_;
    uint8_t lead[2];
    if (!source_.readHeader(position_, lead, sizeof lead)) return JQ_ERR_READ;
    ByteReader r(lead, sizeof lead);
    const uint8_t first = r.u8();
    const uint8_t second = r.u8();

    if (first == kStartCode) {
        step.typeCode = second;
        return second == kKeyPackageType ? readKeyPackage(step) : skipDataPackage(step);
    }
    // A second byte of 14 begins a file header (its first two bytes are the
    // big-endian 14), wherever it stands.
    if (second == kFileHeaderLength) {
        step.kind = WalkStep::Kind::FileHeader;
        position_ += kFileHeaderSize;
        return JQ_OK;
    }
    return JQ_ERR_FORMAT;
}

JQStatus PackageWalker::readKeyPackage(WalkStep& step) {
    step.kind = WalkStep::Kind::KeyPackage;
    if (!source_.readHeader(position_, step.keyPackage, kKeyPackageSize)) return JQ_ERR_READ;
    position_ += kKeyPackageSize;
    return JQ_OK;
}

JQStatus PackageWalker::skipDataPackage(WalkStep& step) {
    PackageFrame frame;
    const JQStatus status = readPackageFrame(source_, position_, frame,
                                             keepPacketHeaders_ ? &step.packetHeader : nullptr);
    if (status != JQ_OK) return status;
    position_ = frame.end();
    return JQ_OK;
}

}  // namespace jq
