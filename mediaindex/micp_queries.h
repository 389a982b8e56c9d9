// micp_queries.h - the questions a host asks the MICP index, answered from
// finished tables. A name is given in the bytes of the name table's keys;
// the exports convert the host's UTF-16 names and add the lock, the
// temporary index and the library's states.
#pragma once

#include <cstdint>
#include <string>

#include "day_zero_time.h"
#include "micp_tables.h"

namespace jq::mediaindex {

// The size of a datum, from the object of its part 0: the data length of a
// whole datum or the total size of a part; 0 when there is no part 0 or its
// object has expired.
uint32_t datumSize(const MicpTables& tables, const std::string& name, index::DayZeroTime now);

// Assembles a datum in the host's buffer: 0; 22 when the buffer is smaller
// than a whole datum or a part's total size; 4099 when no key of the name
// exists or an object has expired. Bytes written before a 22 or 4099 stay.
JQStatus datumInto(const MicpTables& tables, const std::string& name, uint8_t* buffer,
                   uint32_t bufferSize, index::DayZeroTime now);

// Assembles a datum in a buffer of this library's allocator, zero-filled
// where no part covers it: 0 with data and length set; 4099 when no key of
// the name exists (nothing touched) or an object has expired (data null).
// The buffer goes back through releaseDatum.
JQStatus datumAllocated(const MicpTables& tables, const std::string& name, uint8_t*& data,
                        uint32_t& length, index::DayZeroTime now);

// Releases a buffer of datumAllocated and nulls the pointer; null does nothing.
void releaseDatum(uint8_t*& data);

}  // namespace jq::mediaindex
