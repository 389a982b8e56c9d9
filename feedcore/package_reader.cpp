// package_reader.cpp - reading one broadcast package.
#include "package_reader.h"

#include <utility>

#include "checksum.h"
#include "inflate.h"
#include "key_params.h"
#include "package_frame.h"

namespace jq {
namespace {

constexpr size_t kChunkSize = 16376;
constexpr size_t kChunkLimit = 0x3FFF;

// Decrypts the whole payload, with the key word the package selects, into a
// buffer of its own that DES writes in full. The encrypted bytes are taken
// where the source holds them; only a source that cannot lend them has them
// read into the buffer, to be decrypted in place. A payload that is not whole
// in the file is never decrypted.
JQStatus readPlainPayload(ByteSource& source, const PackageFrame& frame, const GcspBlock& block,
                          OwnedBytes& plain) {
    const size_t size = frame.payloadSize();
    plain = OwnedBytes(size);
    const uint8_t* payload = source.view(frame.payloadOffset, size);
    if (payload == nullptr) {
        if (!source.readExact(frame.payloadOffset, plain.data(), size)) return JQ_ERR_READ;
        payload = plain.data();
    }
    const KeyWords words = deriveKeyWords(block);
    const auto key = packageKey(frame.header.OddEvenFlag ? words.odd : words.even);
    const des::KeySchedule schedule = des::makeSchedule(key.data(), des::Direction::Decrypt);
    if (!decryptPayload(key.data(), schedule, payload, plain.data(), size)) return JQ_ERR_DECRYPT;
    return JQ_OK;
}

// Checks the plain bytes and turns them into the package's data. A stored
// payload becomes the data itself, cut to its plain length: no second copy.
JQStatus finishPlainData(OwnedBytes& plain, Package& out) {
    PackageHeader& h = out.header;
    if (h.PlainPackageDataLength > plain.size()) return JQ_ERR_CHECKSUM;
    if (packageChecksum(h.PlainPackageDataLength, plain.data()) != h.TotalCheckSum) {
        return JQ_ERR_CHECKSUM;
    }
    if (h.CompressMethod != kCompressDeflate) {
        plain.shrink(h.PlainPackageDataLength);
        out.data = std::move(plain);
        return JQ_OK;
    }
    if (h.PlainPackageDataLength < 3) return JQ_ERR_INFLATE;
    ByteReader r(plain.data(), h.PlainPackageDataLength);
    h.UnCompressedDataLength = r.u16be();
    if (!inflatePayload(r.rest(), h.UnCompressedDataLength, out.data)) return JQ_ERR_INFLATE;
    return JQ_OK;
}

}  // namespace

bool decryptPayload(const uint8_t key[8], const des::KeySchedule& schedule, const uint8_t* in,
                    uint8_t* out, size_t size) {
    if (size == 0) return false;
    for (size_t done = 0; done < size;) {
        const size_t chunk = size - done > kChunkSize ? kChunkSize : size - done;
        if (chunk <= 4 || chunk > kChunkLimit || chunk % 8 != 0) return false;
        des::decryptEcb(key, schedule, in + done, out + done, chunk);
        done += chunk;
    }
    return true;
}

JQStatus readBroadcastPackage(ByteSource& source, uint64_t offset, const GcspBlock& block,
                              Package& out, uint64_t& size) {
    out = Package{};
    out.offset = offset;
    PackageFrame frame;
    JQStatus status = readPackageFrame(source, offset, frame, &out.packetHeader);
    out.header = frame.header;
    if (status != JQ_OK) return status;

    OwnedBytes plain;
    status = readPlainPayload(source, frame, block, plain);
    if (status != JQ_OK) return status;
    status = finishPlainData(plain, out);
    if (status != JQ_OK) return status;
    size = frame.size();
    return JQ_OK;
}

}  // namespace jq
