// jqid_queries.h - the questions a host asks the JQID index, answered from
// finished tables. The exports add the lock and the library's states.
#pragma once

#include <cstdint>

#include "day_zero_time.h"
#include "idindex.h"
#include "jqid_tables.h"

namespace jq::idindex {

using index::DayZeroTime;
using index::dayZeroTimeNow;

// Valid from the effective date (inclusive) to the expiry date (exclusive).
bool isValidAt(const Validity& validity, DayZeroTime now);

// What a query counts: entries valid at `now` only, or every entry.
struct Filter {
    bool effectiveOnly = false;
    DayZeroTime now = 0;
    bool admits(const Validity& validity) const {
        return !effectiveOnly || isValidAt(validity, now);
    }
};

// The GRT field of a JQID without its flag bit; 0 when the flag bit is set.
uint16_t grtOfJqid(uint64_t jqid);

// A main entry of that JQID, else the first link from it.
bool isFound(const JqidTables& tables, uint64_t jqid, const Filter& filter);

// Decodes the main entry of jqid into the host's entry: 0, 4099 (no main
// entry), 21 or 0xC0DF; on any status but 0 the entry's slots are released.
JQStatus decodeEntry(const JqidTables& tables, uint64_t jqid, JQIDEntry& entry);

// The partners of jqid: the second JQIDs of the links from it, then the
// first JQIDs of the links to it. With a GRT, only partners of that GRT
// (as a signed 16-bit number). 0 with the list filled, or 4099 with the
// list untouched.
JQStatus linkedJqids(const JqidTables& tables, uint64_t jqid, const int32_t* grt,
                     const Filter& filter, JQIDList& list);

// Whether grt, taken modulo 65536, lies in 1001 to 16382.
bool grtIsListed(uint32_t grt);

// The JQIDs of the kind-grt entries filed under that GRT, ascending: 0, 22
// (grt outside 1001 to 16382), or 4099 with the list untouched.
JQStatus jqidsOfGrt(const JqidTables& tables, uint32_t grt, const Filter& filter, JQIDList& list);

// The reverse lookups: 0 with the JQID written, or 4099.
JQStatus eventToJqid(const JqidTables& tables, uint32_t gcn, uint32_t eventId, const Filter& filter,
                     uint64_t& jqid);
JQStatus padToJqid(const JqidTables& tables, uint32_t pad, const Filter& filter, uint64_t& jqid);
JQStatus tadToJqid(const JqidTables& tables, uint32_t tad, const Filter& filter, uint64_t& jqid);
JQStatus messageToJqid(const JqidTables& tables, uint32_t messageId, uint32_t serviceId,
                       const Filter& filter, uint64_t& jqid);

}  // namespace jq::idindex
