// jqid_data.cpp - the bytes of JQID table packages.
#include "jqid_data.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

#include "put_bytes.h"
#include "schedule_data.h"

namespace jq::write {
namespace {

void putGrt(Put& out, uint8_t flag, uint16_t grt, const char* what) {
    out.bits({{flag, 1, "UpdatFlag"}, {grt, 15, what}}, 2);
}

// MimeType behind its one-byte size, then the Uri (or DocRef) behind a 0xFF run.
void putStrings(Put& out, const JqidEntry& e) {
    out.text8(e.mimeType, "MimeTypeSize").run(e.uri.size()).bytes(e.uri);
}

void putEvent(Put& out, const JqidEntry& e) {
    requireBits(e.idType, 1, "IDType");
    requireBits(e.startMinute, 11, "StartMinute");
    requireBits(e.startSecond, 6, "StartSecond");
    requireBits(e.dureMinute, 18, "DureMinute");
    requireBits(e.dureSecond, 6, "DureSecond");
    out.be16(e.gcn).u8(e.idType << 7 | (e.idType ? e.startMinute >> 8 : 0));
    if (e.idType == 0) {
        out.be16(e.eventId);
        return;
    }
    out.be16(e.mjd).u8(e.startMinute).u8(e.startSecond).be24(e.dureMinute << 6 | e.dureSecond);
}

// The bytes of the ID of each JqidLayout, in its order (0: none).
constexpr unsigned kIdBytes[] = {0, 1, 2, 4, 0, 2, 1, 4, 0};

Bytes entryBody(JqidLayout layout, const JqidEntry& e) {
    const unsigned idBytes = kIdBytes[static_cast<size_t>(layout)];
    Put out;
    out.be(e.jqid, 6, "JQID");
    if (layout == JqidLayout::Event) putEvent(out, e);
    if (idBytes) out.be(e.id, idBytes, "ID");
    if (layout == JqidLayout::Message) out.u8(e.serviceId);
    if (layout == JqidLayout::Link) out.be(e.secondJqid, 6, "JQID");
    if (isOneOf(layout, {JqidLayout::Uri, JqidLayout::Actor, JqidLayout::Sponsor}))
        putStrings(out, e);
    return out.be32(e.effectiveDate).be32(e.expiryDate);
}

}  // namespace

JqidLayout jqidLayoutOf(uint16_t grt) {
    requireBits(grt, 15, "CurrentGRT");
    if (grt <= 1000) return JqidLayout::Event;
    if (grt & 0x4000) return JqidLayout::Link;
    if (isOneOf<uint16_t>(grt, {1001, 1003, 1005, 1400, 1500})) return JqidLayout::OneByteId;
    if (grt == 1002) return JqidLayout::Actor;
    if (isOneOf<uint16_t>(grt, {1004, 1103})) return JqidLayout::TwoByteId;
    if (isOneOf<uint16_t>(grt, {1006, 1008, 1009, 1010, 1101, 1102, 1104, 1201, 1202, 1301, 1302}))
        return JqidLayout::Uri;
    if (isOneOf<uint16_t>(grt, {1100, 1200})) return JqidLayout::FourByteId;
    if (grt == 1300) return JqidLayout::Message;
    if (grt == 1600) return JqidLayout::Sponsor;
    throw std::invalid_argument("CurrentGRT " + std::to_string(grt) + " names no table kind");
}

Bytes jqidPacketHeader(const JqidTable& t) {
    Put out;
    putGrt(out, t.updateFlagCur, t.currentGrt, "CurrentGRT");
    putGrt(out, t.updateFlagStart, t.startGrt, "StartGRT");
    putGrt(out, t.updateFlagEnd, t.endGrt, "EndGRT");
    return out;
}

Bytes jqidEntryBytes(JqidLayout layout, const JqidEntry& entry) {
    const Bytes body = entryBody(layout, entry);
    return Put().run(entry.entryLength.value_or(static_cast<uint32_t>(body.size()))).bytes(body);
}

Bytes jqidData(const JqidTable& t) {
    const JqidLayout layout = jqidLayoutOf(t.currentGrt);
    Put out;
    out.be32(t.timeStamp);
    for (const JqidEntry& e : t.entries) out.bytes(jqidEntryBytes(layout, e));
    return out;
}

uint32_t jqidSeconds(int year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                     unsigned second) {
    if (hour > 23 || minute > 59 || second > 59)
        throw std::invalid_argument("a time is 00:00:00 to 23:59:59");
    // JulianDay counts days from 1991-12-31, the epoch of these seconds.
    const uint64_t days = julianDayOf(year, month, day);
    const uint64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    requireBits(seconds, 32, "seconds since 1991-12-31");
    return static_cast<uint32_t>(seconds);
}

}  // namespace jq::write
