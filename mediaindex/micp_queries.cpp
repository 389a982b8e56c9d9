// micp_queries.cpp - sizes and data of named MICP data.
//
// A name's keys run from name + "_000" to name + "_999"; every data element
// of the object behind each key is applied to the target, in element order:
// a whole datum at the start, a part at its offset. A part never writes past
// its datum's total size or the target buffer: what lies beyond is clipped.
#include "micp_queries.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace jq::mediaindex {
namespace {

using NameRange =
    std::pair<MicpTables::NameTable::const_iterator, MicpTables::NameTable::const_iterator>;

NameRange keysOf(const MicpTables& tables, const std::string& name) {
    const MicpTables::NameTable& names = tables.names();
    return {names.lower_bound(name + "_000"), names.upper_bound(name + "_999")};
}

bool expired(const MicpElement& element, index::DayZeroTime now) {
    return element.kind == MicpElementKind::Expiry && index::hasExpired(element.expiryTime, now);
}

bool isDatum(const MicpElement& element, uint8_t kind) {
    return element.kind == MicpElementKind::Data && element.data.kind == kind;
}

// A datum's buffer as the host receives it; FreeMICPData releases it with
// std::free. Zero-filled by calloc, which leaves the pages of a large buffer
// untouched until a part is copied in: a part may announce a total size far
// above the bytes that arrive.
struct FreeBuffer {
    void operator()(uint8_t* buffer) const { std::free(buffer); }
};
using DatumBuffer = std::unique_ptr<uint8_t, FreeBuffer>;

DatumBuffer zeroedBuffer(uint32_t size) {
    void* buffer = std::calloc(std::max<uint32_t>(size, 1), 1);
    if (buffer == nullptr) throw std::bad_alloc();
    return DatumBuffer(static_cast<uint8_t*>(buffer));
}

// Copies a datum's bytes to target at offset, clipped to limit bytes.
void apply(const MicpData& datum, uint32_t offset, uint8_t* target, uint64_t limit) {
    if (offset >= limit || datum.data.empty()) return;
    const uint64_t count = std::min<uint64_t>(datum.data.size, limit - offset);
    std::memcpy(target + offset, datum.data.data, static_cast<size_t>(count));
}

}  // namespace

uint32_t datumSize(const MicpTables& tables, const std::string& name, index::DayZeroTime now) {
    const auto found = tables.names().find(name + "_000");
    if (found == tables.names().end()) return 0;
    uint32_t size = 0;
    for (const MicpElement& element : found->second->elements) {
        if (expired(element, now)) return 0;
        if (isDatum(element, 1)) size = static_cast<uint32_t>(element.data.data.size);
        if (isDatum(element, 2)) size = element.data.totalSize;
    }
    return size;
}

JQStatus datumInto(const MicpTables& tables, const std::string& name, uint8_t* buffer,
                   uint32_t bufferSize, index::DayZeroTime now) {
    const NameRange range = keysOf(tables, name);
    if (range.first == range.second) return JQ_ERR_NOT_FOUND;
    for (auto key = range.first; key != range.second; ++key) {
        for (const MicpElement& element : key->second->elements) {
            if (expired(element, now)) return JQ_ERR_NOT_FOUND;
            const MicpData& datum = element.data;
            if (isDatum(element, 1)) {
                if (bufferSize < datum.data.size) return JQ_ERR_RANGE;
                apply(datum, 0, buffer, bufferSize);
            } else if (isDatum(element, 2)) {
                if (bufferSize < datum.totalSize) return JQ_ERR_RANGE;
                apply(datum, datum.offset, buffer, datum.totalSize);
            }
        }
    }
    return JQ_OK;
}

JQStatus datumAllocated(const MicpTables& tables, const std::string& name, uint8_t*& data,
                        uint32_t& length, index::DayZeroTime now) {
    const NameRange range = keysOf(tables, name);
    if (range.first == range.second) return JQ_ERR_NOT_FOUND;
    DatumBuffer buffer;
    uint32_t bufferSize = 0;
    for (auto key = range.first; key != range.second; ++key) {
        for (const MicpElement& element : key->second->elements) {
            if (expired(element, now)) {
                data = nullptr;
                return JQ_ERR_NOT_FOUND;
            }
            const MicpData& datum = element.data;
            if (isDatum(element, 1)) {
                // A later whole datum takes the place of what came before.
                bufferSize = static_cast<uint32_t>(datum.data.size);
                buffer = zeroedBuffer(bufferSize);
                length = bufferSize;
                apply(datum, 0, buffer.get(), bufferSize);
            } else if (isDatum(element, 2)) {
                if (buffer == nullptr) {
                    bufferSize = datum.totalSize;
                    buffer = zeroedBuffer(bufferSize);
                    length = bufferSize;
                }
                apply(datum, datum.offset, buffer.get(), std::min(bufferSize, datum.totalSize));
            }
        }
    }
    data = buffer.release();
    return JQ_OK;
}

void releaseDatum(uint8_t*& data) {
    std::free(data);
    data = nullptr;
}

}  // namespace jq::mediaindex
