// reception_records.cpp - reception rules (types 0x75, 0x85).
//
// Packet header: ReceptRule, InfoType; further bytes unread. InfoType 'R'
// carries services with schedules back to back, 'u' one description. A
// service, schedule list or description that would run past the end of the
// data refuses the package with 0xC085 (for both types); the data is checked
// whole before anything is stored.
#include "reception_records.h"

#include "list_records.h"

namespace jq::records {
namespace {

constexpr uint8_t kServices = 'R';
constexpr uint8_t kDescription = 'u';
constexpr JQStatus kContentError = contentError(0x85);
constexpr size_t kServiceSize = 6;
constexpr size_t kScheduleSize = 3;

// Counts the services; false when one runs past the end of the data.
bool countServices(ByteView data, uint32_t& count) {
    ByteReader in(data);
    count = 0;
    while (!in.atEnd()) {
        if (!in.canRead(kServiceSize)) return false;
        in.skip(kServiceSize - 1);
        const size_t schedulesSize = in.u8() * kScheduleSize;
        if (!in.canRead(schedulesSize)) return false;
        in.skip(schedulesSize);
        ++count;
    }
    return true;
}

ReceptionSchedule readSchedule(ByteReader& in) {
    ReceptionSchedule s{};
    const uint8_t first = in.u8();
    s.UpdateFlag = first >> 7;
    s.DayOfWeek = (first >> 3) & 7;
    s.ScheduleTime = static_cast<uint16_t>(((first & 7) << 8) | in.u8());
    s.ScheduleTimeHour = static_cast<uint8_t>(s.ScheduleTime / 60);
    s.ScheduleTimeMin = static_cast<uint8_t>(s.ScheduleTime % 60);
    s.ScheduleDuration = in.u8();
    return s;
}

JQStatus parseServices(ByteView data, ReceptionRecord& record) {
    uint32_t count = 0;
    if (!countServices(data, count)) return kContentError;
    record.services = new ReceptionService[count]();
    record.serviceCount = count;
    ByteReader in(data);
    for (uint32_t i = 0; i < count; ++i) {
        ReceptionService& service = record.services[i];
        service.NID = in.u16be();
        service.SID = in.u16be();
        service.ComponentTag = in.u8();
        service.SCCount = in.u8();
        if (service.SCCount == 0) continue;
        service.schedules = new ReceptionSchedule[service.SCCount]();
        for (uint8_t k = 0; k < service.SCCount; ++k) service.schedules[k] = readSchedule(in);
    }
    return JQ_OK;
}

JQStatus parseDescription(ByteView data, ReceptionRecord& record) {
    ByteReader in(data);
    ReceptionDescription fields{};
    fields.GCN = in.u16be();
    fields.NID = in.u16be();
    fields.SID = in.u16be();
    const uint8_t textSize = in.u8();
    const ByteView text = in.bytes(textSize);
    fields.DescGraphicsSize = in.u8();
    const ByteView graphics = in.bytes(size_t{fields.DescGraphicsSize} * 2);
    if (!in.ok()) return kContentError;

    ReceptionDescription& d = *(record.description = new ReceptionDescription(fields));
    if (textSize > 0) {
        // The stored size counts the null, but stays within its byte: a
        // 255-byte text is kept whole and counted as 255.
        d.DescTextSize = static_cast<uint8_t>(textSize == 255 ? 255 : textSize + 1);
        d.DescText = new uint8_t[textSize + 1];
        for (size_t i = 0; i < textSize; ++i) d.DescText[i] = text.data[i];
        d.DescText[textSize] = 0;
    }
    d.DescGraphics = copyBytes(graphics.data, graphics.size);
    return JQ_OK;
}

}  // namespace

JQStatus parseReception(const RecordInput& input, ReceptionRecord& record) {
    if (input.packetHeader.data == nullptr || input.data.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < 2) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.ReceptRule = header.u8();
    record.InfoType = header.u8();
    if (record.InfoType == kServices) return parseServices(input.data, record);
    if (record.InfoType == kDescription) return parseDescription(input.data, record);
    return JQ_ERR_FORMAT;
}

void releaseReception(ReceptionRecord* record) {
    if (record == nullptr) return;
    for (uint32_t i = 0; record->services != nullptr && i < record->serviceCount; ++i) {
        delete[] record->services[i].schedules;
    }
    delete[] record->services;
    if (record->description != nullptr) {
        delete[] record->description->DescText;
        delete[] record->description->DescGraphics;
        delete record->description;
    }
    delete record;
}

namespace {

void writeServices(const ReceptionRecord& record, CsvFile& out) {
    for (uint32_t i = 0; i < record.serviceCount; ++i) {
        const ReceptionService& s = record.services[i];
        out.line("NID,SID,ComponentTag,SCCount\n");
        out.line("0x%04X,0x%04X,0x%02X,%d\n", s.NID, s.SID, s.ComponentTag, s.SCCount);
        out.line(
            "UpdateFlag,ScheduleTime,ScheduleTimeHour,ScheduleTimeMin,DayOfWeek,"
            "ScheduleDuration\n");
        for (uint8_t k = 0; k < s.SCCount; ++k) {
            const ReceptionSchedule& e = s.schedules[k];
            out.line("%d,%d,%d,%d,%d,%d\n", e.UpdateFlag, e.ScheduleTime, e.ScheduleTimeHour,
                     e.ScheduleTimeMin, e.DayOfWeek, e.ScheduleDuration);
        }
    }
}

void writeDescription(const ReceptionDescription& d, CsvFile& out) {
    out.line("GCN, NID,SID,DescTextSize,DescText,DescGraphicsSize,DescGraphics\n");
    out.line("0x%04X,0x%04X,0x%04X,%d,", d.GCN, d.NID, d.SID, d.DescTextSize);
    out.stored(d.DescText, d.DescTextSize);
    out.line(",%d,", d.DescGraphicsSize);
    out.stored(d.DescGraphics, d.DescGraphicsSize);
}

}  // namespace

void writeReception(const ReceptionRecord& record, CsvFile& out) {
    out.line("ReceptRule,0x%02X\n", record.ReceptRule);
    out.line("InfoType,0x%02X\n", record.InfoType);
    if (record.InfoType == kServices) writeServices(record, out);
    if (record.InfoType == kDescription && record.description != nullptr) {
        writeDescription(*record.description, out);
    }
}

}  // namespace jq::records
