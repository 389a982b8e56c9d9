// package_run.h - the input of the index fuzzers: packages back to back,
// each a flag byte (bits 0-3 the packet header length, the rest the
// fuzzer's), a big-endian 16-bit data length, the packet header and the
// data. A package cut short by the end of the input takes what is left. Each
// package gets buffers of its own, so that reading past one is caught.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "feedcore.h"

namespace jq::fuzz {

struct RunPackage {
    uint8_t flags = 0;
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;

    // The package as the decoder hands it over; valid while this lives.
    PackageRecord record(uint8_t typeCode) const {
        PackageRecord package{};
        package.TypeCode = typeCode;
        package.PacketHeaderLength = static_cast<uint8_t>(header.size());
        package.packetHeader = header.empty() ? nullptr : const_cast<uint8_t*>(header.data());
        package.data = data.empty() ? nullptr : const_cast<uint8_t*>(data.data());
        package.dataLength = static_cast<uint32_t>(data.size());
        return package;
    }
};

inline std::vector<std::unique_ptr<RunPackage>> packageRun(const uint8_t* input, size_t size) {
    std::vector<std::unique_ptr<RunPackage>> packages;
    size_t at = 0;
    while (size - at >= 3) {
        const size_t headerLength = std::min<size_t>(input[at] & 0x0F, size - at - 3);
        const size_t dataLength =
            std::min<size_t>(input[at + 1] << 8 | input[at + 2], size - at - 3 - headerLength);
        auto& p = *packages.emplace_back(std::make_unique<RunPackage>());
        p.flags = input[at];
        at += 3;
        p.header.assign(input + at, input + at + headerLength);
        p.data.assign(input + at + headerLength, input + at + headerLength + dataLength);
        at += headerLength + dataLength;
    }
    return packages;
}

}  // namespace jq::fuzz
