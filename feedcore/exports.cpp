// exports.cpp - the eleven exports of the decoder and the frame they run in.
//
// Each decoding export decides its reading mode anew (a "Tolvo.ini" beside
// the host executable selects the container layout), takes a private copy of
// the default key parameters, and turns every exception into status 16. The
// list record is written only when the work has succeeded (or, for parse
// lists, when reading succeeded and a parser failed).
#include <exception>
#include <vector>

#include "bound_exports.h"
#include "byte_source.h"
#include "csv.h"
#include "dispatch.h"
#include "feedcore.h"
#include "feedcore_exports.h"
#include "file_readers.h"
#include "key_params.h"
#include "list_records.h"
#include "platform.h"

namespace {

using namespace jq;

enum class Mode { Broadcast, Container };

Mode readingMode() {
    return platform::existsBesideHost(JQ_PATH("Tolvo.ini")) ? Mode::Container : Mode::Broadcast;
}

// Opens the data file and runs work on it as a byte source: 18 when the file
// cannot be opened, 19 when its size cannot be read.
template <typename Work>
JQStatus withDataFile(const JQChar* path, Work&& work) {
    platform::File file = platform::File::openForReading(path);
    if (!file.isOpen()) return JQ_ERR_OPEN;
    uint64_t size = 0;
    if (!file.size(size)) return JQ_ERR_READ;
    FileSource source(file, size);
    return work(static_cast<ByteSource&>(source));
}

// The handler of the four decoding exports.
template <typename Work>
JQStatus guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQStatus readPackages(const JQChar* path, Mode mode, const GcspBlock& block, std::vector<Package>& packages) {
    return withDataFile(path, [&](ByteSource& source) {
        return mode == Mode::Container ? readContainerFile(source, packages)
                                       : readBroadcastFile(source, block, packages);
    });
}

void writeHeaderLines(const ParseElement& e, CsvFile& out) {
    out.line("StartCode,0x%02X\n", e.StartCode);
    out.line("TypeCode,0x%02X\n", e.TypeCode);
    out.line("CountryCode,%d\n", e.CountryCode);
    out.line("HostID,0x%04X\n", e.HostID);
    out.line("UpdateNumber,0x%02X\n", e.UpdateNumber);
    out.line("VersionNumber,0x%02X\n", e.VersionNumber);
    out.line("OddEvenFlag,0x%02X\n", e.OddEvenFlag);
    out.line("PacketHeaderLength,%d\n", e.PacketHeaderLength);
    out.line("CompressMethod,0x%02X\n", e.CompressMethod);
    out.line("PackageDataLength,%d\n", e.PackageDataLength);
    out.line("TotalCheckSum,0x%04X\n", e.TotalCheckSum);
    out.line("PlainPackageDataLength,%d\n", e.PlainPackageDataLength);
    out.line("UnCompressedDataLength,%d\n\n", e.UnCompressedDataLength);
}

}  // namespace

JQ_CHECK_ARGUMENT_BYTES(FEEDCORE_EXPORTS)

JQ_API JQStatus JQ_CALL PreAnalyzeJQFile(const JQChar* path, IndexList* list) {
    return guarded([&]() -> JQStatus {
        const Mode mode = readingMode();
        if (path == nullptr || list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        std::vector<IndexItem> items;
        uint32_t declaredCount = 0;
        const JQStatus status = withDataFile(path, [&](ByteSource& source) {
            return mode == Mode::Container ? scanContainerIndex(source, items, declaredCount)
                                           : scanBroadcastIndex(source, items);
        });
        if (status != JQ_OK) {
            // A container scan that fails after its header leaves the
            // header's count in the record and no elements.
            if (declaredCount != 0) {
                list->count = declaredCount;
                list->elements = nullptr;
            }
            return status;
        }
        fillIndexList(path, items, *list);
        return JQ_OK;
    });
}

JQ_API JQStatus JQ_CALL AnalyzeJQFile(const JQChar* path, ParseList* list) {
    return guarded([&]() -> JQStatus {
        const Mode mode = readingMode();
        const GcspBlock block = defaultBlock();
        if (path == nullptr || list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        std::vector<Package> packages;
        const JQStatus status = readPackages(path, mode, block, packages);
        if (status != JQ_OK) return status;
        return buildParseList(packages, *list);
    });
}

JQ_API JQStatus JQ_CALL GetGCSP(const JQChar* path, GcspBlock* block) {
    if (path == nullptr || block == nullptr) return JQ_ERR_NULL_ARGUMENT;
    return withDataFile(path, [&](ByteSource& source) { return findKeyParameters(source, *block); });
}

JQ_API JQStatus JQ_CALL SetDefaultGCSP(uint32_t w0, uint32_t w1, uint32_t w2, uint16_t h3) {
    setDefaultBlock(blockFromWords(w0, w1, w2, h3));
    return JQ_OK;
}

JQ_API JQStatus JQ_CALL DecryptJQFile(const JQChar* path, PackageList* list) {
    return guarded([&]() -> JQStatus {
        const Mode mode = readingMode();
        const GcspBlock block = defaultBlock();
        if (path == nullptr || list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        std::vector<Package> packages;
        const JQStatus status = readPackages(path, mode, block, packages);
        if (status != JQ_OK) return status;
        fillPackageList(path, packages, *list);
        return JQ_OK;
    });
}

JQ_API void JQ_CALL FreeIndexList(IndexList* list) {
    if (list != nullptr) releaseIndexList(*list);
}

JQ_API void JQ_CALL FreeParseList(ParseList* list) {
    if (list == nullptr) return;
    try {
        releaseParseList(*list);
    } catch (...) {
    }
}

JQ_API void JQ_CALL FreePackageList(PackageList* list) {
    if (list != nullptr) releasePackageList(*list);
}

JQ_API void JQ_CALL OutputCSVFile(const JQChar* csvPath, const ParseElement* element) {
    if (csvPath == nullptr || element == nullptr) return;
    {
        CsvFile header = CsvFile::create(csvPath);
        if (header.isOpen()) writeHeaderLines(*element, header);
    }
    const void* record = nullptr;
    const records::CsvWriter writer = csvWriterFor(*element, record);
    if (writer == nullptr) return;
    CsvFile out = CsvFile::append(csvPath);
    if (out.isOpen()) writer(record, out);
}

JQ_API JQStatus JQ_CALL AnalyzeJQFile1Pack(const JQChar* path, int32_t offset, ParseList* list) {
    // The single-package reader reads the broadcast layout in both modes.
    return guarded([&]() -> JQStatus {
        const GcspBlock block = defaultBlock();
        if (path == nullptr || list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        std::vector<Package> packages(1);
        const JQStatus status = withDataFile(path, [&](ByteSource& source) {
            return readPackageAt(source, offset, block, packages[0]);
        });
        if (status != JQ_OK) return status;
        return buildParseList(packages, *list);
    });
}

JQ_API JQStatus JQ_CALL GetFileHeadInfo(const JQChar* path, FileHeadInfo* info) {
    if (path == nullptr || info == nullptr) return JQ_ERR_NULL_ARGUMENT;
    return withDataFile(path, [&](ByteSource& source) { return readFileHead(source, *info); });
}
