// micp_tables.cpp - filing MICP blocks and naming their data.
#include "micp_tables.h"

namespace jq::mediaindex {
namespace {

constexpr uint32_t kMicpBlockType = 0xF5;

uint64_t keyOf(const MicpBlockRecord& block) {
    return uint64_t{block.ObjectID} << 32 | uint32_t{block.TotalBlockNumber} << 16 |
           block.BlockNumber;
}

// A datum without a name has no key.
bool hasKey(const MicpElement& element) {
    return element.kind == MicpElementKind::Data && !element.data.name.empty();
}

bool namesData(const MicpObject& object) {
    for (const MicpElement& element : object.elements) {
        if (hasKey(element)) return true;
    }
    return false;
}

}  // namespace

bool isMicpType(uint32_t typeCode) { return typeCode == kMicpBlockType; }

void MicpTables::fileDecoded(index::Pass pass, JQStatus status) {
    if (pass == index::Pass::Second) secondPassStatus_ = status;
}

void MicpTables::takeParsed(index::Pass pass, const ParseElement& element) {
    if (element.micpBlock != nullptr) fileBlock(pass, *element.micpBlock);
}

void MicpTables::fileBlock(index::Pass pass, const MicpBlockRecord& block) {
    if (pass == index::Pass::Second) {
        const uint64_t first = uint64_t{block.ObjectID} << 32;
        blocks_.erase(blocks_.lower_bound(first), blocks_.upper_bound(first | 0xFFFFFFFF));
    }
    blocks_.emplace(keyOf(block), &block);  // a present key keeps its block
}

JQStatus MicpTables::loadEnded() {
    if (secondPassStatus_ != JQ_OK) return secondPassStatus_;
    buildNameTable();
    return JQ_OK;
}

void MicpTables::buildNameTable() {
    for (const auto& [key, block] : blocks_) {
        if (block->Object == nullptr || block->ObjectSize <= 0) continue;
        auto object = std::make_unique<MicpObject>();
        const ByteView bytes{block->Object, static_cast<size_t>(block->ObjectSize)};
        if (decodeMicpObject(bytes, *object) != JQ_OK) continue;
        if (!namesData(*object)) continue;  // released at once
        objects_.push_back(std::move(object));
        for (const MicpElement& element : objects_.back()->elements) {
            if (hasKey(element)) names_.emplace(micpKey(element.data), objects_.back().get());
        }
    }
}

void MicpTables::clear() {
    names_.clear();
    objects_.clear();
    blocks_.clear();
    secondPassStatus_ = JQ_OK;
}

}  // namespace jq::mediaindex
