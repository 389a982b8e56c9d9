// list_records.cpp - building and releasing the index and package lists.
#include "list_records.h"

#include <cstring>
#include <memory>

namespace jq {
namespace {

void releaseIndexEntry(IndexEntry& entry) {
    delete[] entry.path;
    delete[] entry.packetHeader;
    entry = IndexEntry{};
}

void releasePackageRecord(PackageRecord& record) {
    delete[] record.path;
    delete[] record.packetHeader;
    delete[] record.data;
    record = PackageRecord{};
}

// Releases the filled elements of an array still being built.
template <typename Element, void (*Release)(Element&)>
struct PartialArray {
    std::unique_ptr<Element[]> elements;
    size_t filled = 0;
    explicit PartialArray(size_t count) : elements(new Element[count]()) {}
    ~PartialArray() {
        if (!elements) return;
        for (size_t i = 0; i < filled; ++i) Release(elements[i]);
    }
    Element* release() { return elements.release(); }
};

// The header fields that PackageRecord and ParseElement share, by name.
template <typename Target>
void copyHeader(const PackageHeader& h, Target& t) {
    t.StartCode = h.StartCode;
    t.TypeCode = h.TypeCode;
    t.CountryCode = h.CountryCode;
    t.HostID = h.HostID;
    t.UpdateNumber = h.UpdateNumber;
    t.VersionNumber = h.VersionNumber;
    t.OddEvenFlag = h.OddEvenFlag;
    t.PacketHeaderLength = h.PacketHeaderLength;
    t.CompressMethod = h.CompressMethod;
    t.PackageDataLength = h.PackageDataLength;
    t.TotalCheckSum = h.TotalCheckSum;
    t.PlainPackageDataLength = h.PlainPackageDataLength;
    t.UnCompressedDataLength = h.UnCompressedDataLength;
}

}  // namespace

JQChar* copyPath(const JQChar* path) {
    size_t length = 0;
    while (path[length] != 0) ++length;
    auto* copy = new JQChar[length + 1];
    std::memcpy(copy, path, (length + 1) * sizeof(JQChar));
    return copy;
}

uint8_t* copyBytes(const uint8_t* bytes, size_t count) {
    if (count == 0) return nullptr;
    auto* copy = new uint8_t[count];
    std::memcpy(copy, bytes, count);
    return copy;
}

void fillIndexList(const JQChar* path, const std::vector<IndexItem>& items, IndexList& list) {
    PartialArray<IndexEntry, releaseIndexEntry> array(items.size());
    for (const IndexItem& item : items) {
        IndexEntry& entry = array.elements[array.filled++];
        entry.offset = static_cast<int32_t>(item.offset);
        entry.typeCode = item.typeCode;
        entry.packetHeaderLength = static_cast<uint32_t>(item.packetHeader.size());
        entry.path = copyPath(path);
        entry.packetHeader = copyBytes(item.packetHeader.data(), item.packetHeader.size());
    }
    list.count = static_cast<uint32_t>(items.size());
    list.elements = array.release();
}

void fillPackageList(const JQChar* path, std::vector<Package>& packages, PackageList& list) {
    PartialArray<PackageRecord, releasePackageRecord> array(packages.size());
    for (Package& package : packages) {
        PackageRecord& record = array.elements[array.filled++];
        copyHeader(package.header, record);
        record.offset = static_cast<int32_t>(package.offset);
        record.packetHeader = copyBytes(package.packetHeader.data(), package.packetHeader.size());
        record.path = copyPath(path);
        // After the allocations that can throw: handing the array over
        // cannot. No data gives a null pointer, as a copy of none would.
        record.dataLength = static_cast<uint32_t>(package.data.size());
        record.data = package.data.releaseArray();
    }
    list.count = static_cast<uint32_t>(packages.size());
    list.elements = array.release();
}

void releaseIndexList(IndexList& list) {
    if (list.elements == nullptr) return;
    for (uint32_t i = 0; i < list.count; ++i) releaseIndexEntry(list.elements[i]);
    delete[] list.elements;
    list.elements = nullptr;
}

void releasePackageList(PackageList& list) {
    if (list.elements == nullptr) return;
    for (uint32_t i = 0; i < list.count; ++i) releasePackageRecord(list.elements[i]);
    delete[] list.elements;
    list.elements = nullptr;
}

void copyHeaderFields(const Package& package, ParseElement& element) {
    copyHeader(package.header, element);
    element.packetHeader = copyBytes(package.packetHeader.data(), package.packetHeader.size());
}

}  // namespace jq
