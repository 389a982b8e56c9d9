// jqid_data.h - writes JQID table packages (type 0xDF): the packet header
// and record data from readable fields.
//
// The table kind, and with it the entry layout, follows from CurrentGRT;
// entry lengths and string sizes are computed, and an entry that does not
// fit the table's layout is refused with std::invalid_argument.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jqwrite.h"

namespace jq::write {

inline constexpr uint8_t kJqidTable = 0xDF;

enum class JqidLayout { Event, OneByteId, TwoByteId, FourByteId, Uri, Actor, Message, Sponsor, Link };

// The layout of a table of currentGrt (15 bits): up to 1000 events, bit 14
// set links, else the kinds of the fixed list; throws for any other value.
JqidLayout jqidLayoutOf(uint16_t currentGrt);

// One entry; each layout uses its own fields and leaves the others alone.
struct JqidEntry {
    uint64_t jqid = 0;  // 48 bits
    uint32_t effectiveDate = 0;  // seconds since 1991-12-31 00:00:00
    uint32_t expiryDate = 0;
    // Event: IDType 0 gives EventID, IDType 1 the start and duration.
    uint16_t gcn = 0;
    uint8_t idType = 0;  // 1 bit
    uint16_t eventId = 0;
    uint16_t mjd = 0;
    uint16_t startMinute = 0;  // 11 bits
    uint8_t startSecond = 0;   // 6 bits
    uint32_t dureMinute = 0;   // 18 bits
    uint8_t dureSecond = 0;    // 6 bits
    // The ID of the ID layouts, ActorID, SponsorID or MessageID.
    uint32_t id = 0;
    uint8_t serviceId = 0;  // message
    Bytes mimeType;         // at most 255 bytes
    Bytes uri;              // the Uri, or the DocRef of an actor
    uint64_t secondJqid = 0;  // link, 48 bits
    std::optional<uint32_t> entryLength;  // fault: this entry length, the body as it is
};

struct JqidTable {
    uint8_t updateFlagCur = 0;  // 1 bit each
    uint8_t updateFlagStart = 0;
    uint8_t updateFlagEnd = 0;
    uint16_t currentGrt = 0;  // 15 bits each
    uint16_t startGrt = 0;
    uint16_t endGrt = 0;
    uint32_t timeStamp = 0;
    std::vector<JqidEntry> entries;
};

Bytes jqidPacketHeader(const JqidTable& table);
// The entry length as an 0xFF run, then the body of layout.
Bytes jqidEntryBytes(JqidLayout layout, const JqidEntry& entry);
Bytes jqidData(const JqidTable& table);

// Seconds since 1991-12-31 00:00:00 of a UTC date and time; throws for a
// time out of range or a moment outside 32 bits.
uint32_t jqidSeconds(int year, unsigned month, unsigned day, unsigned hour = 0,
                     unsigned minute = 0, unsigned second = 0);

}  // namespace jq::write
