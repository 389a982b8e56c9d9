// Tests of the package list built from read packages: the list takes the
// readers' data arrays over without copying them, and an allocation that
// fails at any point while it is built leaves the list record untouched and
// nothing allocated.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "byte_source.h"
#include "file_readers.h"
#include "jqwrite.h"
#include "list_records.h"

namespace {

// The array allocation that throws: 0 none, n the n-th from now.
int failingArrayAllocation = 0;
// Arrays allocated and not yet released.
long liveArrays = 0;

}  // namespace

void* operator new[](size_t size) {
    if (failingArrayAllocation > 0 && --failingArrayAllocation == 0) throw std::bad_alloc();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++liveArrays;
    return p;
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete[](void* p) noexcept {
    if (p == nullptr) return;
    --liveArrays;
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept { operator delete[](p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete[](p); }

namespace jq {
namespace {

using write::Bytes;
using write::DataPackage;

// Four packages: a stored one with a packet header, a deflated one, one
// without data, and one whose plain length is far below its payload.
Bytes fourPackages() {
    write::BroadcastFile file;
    file.fileHeader().keyPackage(write::builtInDefaultBlock());
    DataPackage stored;
    stored.packetHeader = {1, 2, 3, 4, 5, 6};
    stored.plain = Bytes(3001, 0x31);
    file.dataPackage(stored);
    DataPackage deflated;
    deflated.typeCode = 0x61;
    deflated.plain = Bytes(20000, 0x42);
    deflated.compress = true;
    file.dataPackage(deflated);
    DataPackage empty;  // one block of payload, none of it data
    empty.typeCode = 0x4C;
    empty.plain = {0};
    empty.plainPackageDataLength = 0;
    file.dataPackage(empty);
    DataPackage cut;
    cut.plain = Bytes(400, 0x77);
    cut.plainPackageDataLength = 10;
    file.dataPackage(cut);
    return file.bytes();
}

TEST(PackageList, TakesTheDataOverAndReleasesEverythingWhenAnAllocationFails) {
    const Bytes bytes = fourPackages();
    const JQChar path[] = {'G', '1', 0};
    PackageRecord sentinel{};
    const long before = liveArrays;
    bool filled = false;
    for (int failAt = 1; !filled; ++failAt) {
        ASSERT_LT(failAt, 100) << "the list is never filled";
        MemorySource source({bytes.data(), bytes.size()});
        std::vector<Package> packages;
        ASSERT_EQ(readBroadcastFile(source, write::builtInDefaultBlock(), packages), JQ_OK);
        ASSERT_EQ(packages.size(), 4u);
        const uint8_t* arrays[4];
        for (size_t i = 0; i < 4; ++i) arrays[i] = packages[i].data.data();

        PackageList list{7, &sentinel};
        failingArrayAllocation = failAt;
        try {
            fillPackageList(path, packages, list);
            filled = true;
        } catch (const std::bad_alloc&) {
        }
        failingArrayAllocation = 0;
        if (!filled) {
            EXPECT_EQ(list.count, 7u) << failAt;
            EXPECT_EQ(list.elements, &sentinel) << failAt;
            packages.clear();
            EXPECT_EQ(liveArrays, before) << "after a failure at allocation " << failAt;
            continue;
        }

        ASSERT_EQ(list.count, 4u);
        const PackageRecord* r = list.elements;
        // The readers' arrays themselves, not copies of them.
        EXPECT_EQ(r[0].data, arrays[0]);
        EXPECT_EQ(r[1].data, arrays[1]);
        EXPECT_EQ(Bytes(r[0].data, r[0].data + r[0].dataLength), Bytes(3001, 0x31));
        EXPECT_EQ(Bytes(r[1].data, r[1].data + r[1].dataLength), Bytes(20000, 0x42));
        EXPECT_EQ(r[1].UnCompressedDataLength, 20000);
        EXPECT_EQ(Bytes(r[0].packetHeader, r[0].packetHeader + 6), (Bytes{1, 2, 3, 4, 5, 6}));
        // No data is a null pointer; a short plain length keeps only its bytes.
        EXPECT_EQ(r[2].data, nullptr);
        EXPECT_EQ(r[2].dataLength, 0u);
        EXPECT_EQ(Bytes(r[3].data, r[3].data + r[3].dataLength), Bytes(10, 0x77));
        for (const Package& p : packages) EXPECT_TRUE(p.data.empty());
        for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(r[i].path[1], '1');

        packages.clear();
        releasePackageList(list);
        EXPECT_EQ(list.elements, nullptr);
        EXPECT_EQ(liveArrays, before);
    }
}

}  // namespace
}  // namespace jq
