// dispatch.cpp - the table of the 25 record type codes and 26 slots.
#include "dispatch.h"

#include <memory>
#include <type_traits>

#include "list_records.h"
#include "records/mosaic_records.h"
#include "records/object_records.h"
#include "records/schedule_records.h"

namespace jq {
namespace {

using records::CsvWriter;
using records::RecordFamily;
using records::RecordInput;

// Reads and writes one typed slot of a ParseElement through void pointers.
struct SlotAccess {
    void* (*get)(const ParseElement& element);
    void (*set)(ParseElement& element, void* record);
};

template <auto Member>
constexpr SlotAccess slot() {
    return {[](const ParseElement& e) -> void* { return e.*Member; },
            [](ParseElement& e, void* record) {
                using Pointer = std::remove_reference_t<decltype(e.*Member)>;
                e.*Member = static_cast<Pointer>(record);
            }};
}

struct RecordType {
    uint8_t code;
    uint8_t slotNumber;            // 2 to 26; slot 1 is reserved
    SlotAccess access;
    const RecordFamily* family;    // null: no parser for this code
    CsvWriter writer;              // chosen by recordType
};

const RecordFamily* const kNoParser = nullptr;
constexpr CsvWriter kNoWriter = nullptr;

const RecordFamily* const kObject56 = &records::Object56Family::family;
const RecordFamily* const kObjectShared = &records::ObjectSharedFamily::family;
const RecordFamily* const kMosaic = &records::MosaicFamily::family;
const CsvWriter kPaidWriter = records::typedWriter<ObjectRecord, records::writeObjectPaid>;
const CsvWriter kCaidWriter = records::typedWriter<ObjectRecord, records::writeObjectCaid>;
const RecordFamily* const kSchedule = &records::ScheduleFamily::family;
const CsvWriter kScheduleWriter = records::typedWriter<ScheduleRecord, records::writeSchedule>;
const CsvWriter kMosaicWriter = records::typedWriter<MosaicRecord, records::writeMosaic>;

const RecordType kRecordTypes[] = {
    {0x7E, 2, slot<&ParseElement::timeOffsetAreas>(), kNoParser, kNoWriter},
    {0x71, 3, slot<&ParseElement::areaCodes>(), kNoParser, kNoWriter},
    {0x72, 4, slot<&ParseElement::cmidAreas>(), kNoParser, kNoWriter},
    {0xF3, 5, slot<&ParseElement::channelMap>(), kNoParser, kNoWriter},
    {0x85, 6, slot<&ParseElement::reception85>(), kNoParser, kNoWriter},
    {0x51, 7, slot<&ParseElement::scheduleQ>(), kSchedule, kScheduleWriter},
    {0xE2, 8, slot<&ParseElement::dictionaryE2>(), kNoParser, kNoWriter},
    {0x56, 9, slot<&ParseElement::object56>(), kObject56, kPaidWriter},
    {0xD7, 10, slot<&ParseElement::objectD7>(), kObjectShared, kPaidWriter},
    {0xDF, 11, slot<&ParseElement::jqidTable>(), kNoParser, kNoWriter},
    {0x4D, 12, slot<&ParseElement::scheduleM>(), kSchedule, kScheduleWriter},
    {0x4C, 13, slot<&ParseElement::scheduleL>(), kSchedule, kScheduleWriter},
    {0x6E, 14, slot<&ParseElement::topicMessage6E>(), kNoParser, kNoWriter},
    {0x6F, 15, slot<&ParseElement::topicList6F>(), kNoParser, kNoWriter},
    {0xF5, 16, slot<&ParseElement::micpBlock>(), kNoParser, kNoWriter},
    {0x70, 17, slot<&ParseElement::stationNames>(), kNoParser, kNoWriter},
    {0x75, 18, slot<&ParseElement::reception75>(), kNoParser, kNoWriter},
    {0x5D, 19, slot<&ParseElement::dictionary5D>(), kNoParser, kNoWriter},
    {0x54, 20, slot<&ParseElement::mosaic54>(), kMosaic, kMosaicWriter},
    {0x58, 21, slot<&ParseElement::mosaic58>(), kMosaic, kMosaicWriter},
    {0x5E, 22, slot<&ParseElement::mosaic5E>(), kMosaic, kMosaicWriter},
    {0x57, 23, slot<&ParseElement::object57>(), kObjectShared, kCaidWriter},
    {0x5B, 24, slot<&ParseElement::codeDownload>(), kNoParser, kNoWriter},
    {0x61, 25, slot<&ParseElement::topicMessage61>(), kNoParser, kNoWriter},
    {0x62, 26, slot<&ParseElement::topicList62>(), kNoParser, kNoWriter},
};

const RecordType* findType(uint32_t code) {
    for (const RecordType& type : kRecordTypes) {
        if (type.code == code) return &type;
    }
    return nullptr;
}

ByteView viewOf(const std::vector<uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }

// Releases every element of an array still being built.
struct ParseArray {
    std::unique_ptr<ParseElement[]> elements;
    size_t count;
    explicit ParseArray(size_t n) : elements(new ParseElement[n]()), count(n) {}
    ~ParseArray() {
        if (!elements) return;
        for (size_t i = 0; i < count; ++i) releaseParseElement(elements[i]);
    }
};

}  // namespace

JQStatus dispatchPackage(const Package& package, ParseElement& element) {
    const RecordType* type = findType(package.header.TypeCode);
    if (type == nullptr || type->family == nullptr) return JQ_ERR_FORMAT;
    element.recordType = type->code;
    void* record = type->family->create();
    type->access.set(element, record);
    const RecordInput input{viewOf(package.packetHeader), viewOf(package.data), type->code};
    return type->family->parse(input, record);
}

JQStatus buildParseList(const std::vector<Package>& packages, ParseList& list) {
    ParseArray array(packages.size());
    JQStatus status = JQ_OK;
    for (size_t i = 0; i < packages.size() && status == JQ_OK; ++i) {
        status = dispatchPackage(packages[i], array.elements[i]);
        copyHeaderFields(packages[i], array.elements[i]);
    }
    list.count = static_cast<uint32_t>(packages.size());
    list.elements = array.elements.release();
    return status;
}

void releaseParseElement(ParseElement& element) {
    for (const RecordType& type : kRecordTypes) {
        void* record = type.access.get(element);
        if (record == nullptr) continue;
        if (type.family != nullptr) type.family->release(record);
        type.access.set(element, nullptr);
    }
    delete[] element.packetHeader;
    element.packetHeader = nullptr;
    element.recordType = 0;
}

void releaseParseList(ParseList& list) {
    if (list.elements == nullptr) return;
    for (uint32_t i = 0; i < list.count; ++i) releaseParseElement(list.elements[i]);
    delete[] list.elements;
    list.elements = nullptr;
}

records::CsvWriter csvWriterFor(const ParseElement& element, const void*& record) {
    record = nullptr;
    const RecordType* type = findType(element.recordType);
    if (type == nullptr || type->writer == nullptr) return nullptr;
    record = type->access.get(element);
    return record != nullptr ? type->writer : nullptr;
}

}  // namespace jq
