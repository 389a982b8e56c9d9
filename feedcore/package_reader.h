// package_reader.h - one broadcast package through the payload pipeline:
// headers, DES decryption, checksum, inflate.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_source.h"
#include "des.h"
#include "feedcore.h"
#include "package.h"

namespace jq {

// Decrypts a payload under one key (its decryption schedule beside it),
// chunk by chunk. Refuses (false)
// an empty payload and any chunk whose length is 4 or less, above 16,383 or
// not a multiple of 8.
bool decryptPayload(const uint8_t key[8], const des::KeySchedule& schedule, const uint8_t* in,
                    uint8_t* out, size_t size);

// Reads the package at offset. On success fills out (header, packet header,
// plain data, offset) and sets size to the bytes the package occupies.
JQStatus readBroadcastPackage(ByteSource& source, uint64_t offset, const GcspBlock& block,
                              Package& out, uint64_t& size);

}  // namespace jq
