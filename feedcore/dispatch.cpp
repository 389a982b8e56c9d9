// dispatch.cpp - the table of the 25 record type codes and 26 slots.
#include "dispatch.h"

#include <memory>
#include <type_traits>

#include "list_records.h"
#include "records/area_records.h"
#include "records/channel_map_records.h"
#include "records/code_download_records.h"
#include "records/dictionary_records.h"
#include "records/jqid_records.h"
#include "records/micp_records.h"
#include "records/mosaic_records.h"
#include "records/topic_list_records.h"
#include "records/topic_message_records.h"
#include "records/object_records.h"
#include "records/reception_records.h"
#include "records/schedule_records.h"
#include "records/station_records.h"

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

const RecordFamily* const kObject56 = &records::Object56Family::family;
const RecordFamily* const kObjectShared = &records::ObjectSharedFamily::family;
const RecordFamily* const kMosaic = &records::MosaicFamily::family;
const CsvWriter kPaidWriter = records::typedWriter<ObjectRecord, records::writeObjectPaid>;
const CsvWriter kCaidWriter = records::typedWriter<ObjectRecord, records::writeObjectCaid>;
const RecordFamily* const kSchedule = &records::ScheduleFamily::family;
const CsvWriter kScheduleWriter = records::typedWriter<ScheduleRecord, records::writeSchedule>;
const CsvWriter kMosaicWriter = records::typedWriter<MosaicRecord, records::writeMosaic>;
const RecordFamily* const kTopicMessage = &records::TopicMessageFamily::family;
const CsvWriter kTopicMessageWriter =
    records::typedWriter<TopicMessageRecord, records::writeTopicMessage>;
const RecordFamily* const kTopicList6F = &records::TopicList6FFamily::family;
const CsvWriter kTopicList6FWriter = records::typedWriter<TopicListRecord, records::writeTopicList6F>;
const RecordFamily* const kTopicList62 = &records::TopicList62Family::family;
const CsvWriter kTopicList62Writer = records::typedWriter<TopicListRecord, records::writeTopicList62>;
const RecordFamily* const kCodeDownload = &records::CodeDownloadFamily::family;
const CsvWriter kCodeDownloadWriter =
    records::typedWriter<CodeDownloadRecord, records::writeCodeDownload>;
const RecordFamily* const kStations = &records::StationFamily::family;
const CsvWriter kStationWriter = records::typedWriter<StationNameRecord, records::writeStations>;
const RecordFamily* const kChannelMap = &records::ChannelMapFamily::family;
const CsvWriter kChannelMapWriter =
    records::typedWriter<ChannelMapRecord, records::writeChannelMap>;
const RecordFamily* const kJqidTable = &records::JqidTableFamily::family;
const CsvWriter kJqidTableWriter = records::typedWriter<JQIDTable, records::writeJqidTable>;

const RecordFamily* const kAreaCodes = &records::AreaCodeFamily::family;
const CsvWriter kAreaCodeWriter = records::typedWriter<AreaCodeList, records::writeAreaCodes>;
const RecordFamily* const kCmidAreas = &records::CmidAreaFamily::family;
const CsvWriter kCmidAreaWriter = records::typedWriter<CmidAreaRecord, records::writeCmidAreas>;
const RecordFamily* const kTimeOffsetAreas = &records::TimeOffsetAreaFamily::family;
const CsvWriter kTimeOffsetAreaWriter =
    records::typedWriter<TimeOffsetAreaRecord, records::writeTimeOffsetAreas>;
const RecordFamily* const kReception = &records::ReceptionFamily::family;
const CsvWriter kReceptionWriter = records::typedWriter<ReceptionRecord, records::writeReception>;

const RecordFamily* const kDictionary = &records::DictionaryFamily::family;
const CsvWriter kDictionary5DWriter =
    records::typedWriter<DictionaryRecord, records::writeDictionary5D>;
const CsvWriter kDictionaryE2Writer =
    records::typedWriter<DictionaryRecord, records::writeDictionaryE2>;
const RecordFamily* const kMicpBlock = &records::MicpBlockFamily::family;
const CsvWriter kMicpBlockWriter = records::typedWriter<MicpBlockRecord, records::writeMicpBlock>;

const RecordType kRecordTypes[] = {
    {0x7E, 2, slot<&ParseElement::timeOffsetAreas>(), kTimeOffsetAreas, kTimeOffsetAreaWriter},
    {0x71, 3, slot<&ParseElement::areaCodes>(), kAreaCodes, kAreaCodeWriter},
    {0x72, 4, slot<&ParseElement::cmidAreas>(), kCmidAreas, kCmidAreaWriter},
    {0xF3, 5, slot<&ParseElement::channelMap>(), kChannelMap, kChannelMapWriter},
    {0x85, 6, slot<&ParseElement::reception85>(), kReception, kReceptionWriter},
    {0x51, 7, slot<&ParseElement::scheduleQ>(), kSchedule, kScheduleWriter},
    {0xE2, 8, slot<&ParseElement::dictionaryE2>(), kDictionary, kDictionaryE2Writer},
    {0x56, 9, slot<&ParseElement::object56>(), kObject56, kPaidWriter},
    {0xD7, 10, slot<&ParseElement::objectD7>(), kObjectShared, kPaidWriter},
    {0xDF, 11, slot<&ParseElement::jqidTable>(), kJqidTable, kJqidTableWriter},
    {0x4D, 12, slot<&ParseElement::scheduleM>(), kSchedule, kScheduleWriter},
    {0x4C, 13, slot<&ParseElement::scheduleL>(), kSchedule, kScheduleWriter},
    {0x6E, 14, slot<&ParseElement::topicMessage6E>(), kTopicMessage, kTopicMessageWriter},
    {0x6F, 15, slot<&ParseElement::topicList6F>(), kTopicList6F, kTopicList6FWriter},
    {0xF5, 16, slot<&ParseElement::micpBlock>(), kMicpBlock, kMicpBlockWriter},
    {0x70, 17, slot<&ParseElement::stationNames>(), kStations, kStationWriter},
    {0x75, 18, slot<&ParseElement::reception75>(), kReception, kReceptionWriter},
    {0x5D, 19, slot<&ParseElement::dictionary5D>(), kDictionary, kDictionary5DWriter},
    {0x54, 20, slot<&ParseElement::mosaic54>(), kMosaic, kMosaicWriter},
    {0x58, 21, slot<&ParseElement::mosaic58>(), kMosaic, kMosaicWriter},
    {0x5E, 22, slot<&ParseElement::mosaic5E>(), kMosaic, kMosaicWriter},
    {0x57, 23, slot<&ParseElement::object57>(), kObjectShared, kCaidWriter},
    {0x5B, 24, slot<&ParseElement::codeDownload>(), kCodeDownload, kCodeDownloadWriter},
    {0x61, 25, slot<&ParseElement::topicMessage61>(), kTopicMessage, kTopicMessageWriter},
    {0x62, 26, slot<&ParseElement::topicList62>(), kTopicList62, kTopicList62Writer},
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
    const RecordInput input{viewOf(package.packetHeader), package.data.view(), type->code};
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
