// jis0208_table.h - the JIS X 0208 character set as data, for turning
// Unicode text into Shift-JIS (code_page_932.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace jq::text {

// One row of JIS X 0208: its number (1-94) and its 94 cells in order as UTF-8
// characters, an ASCII '_' standing for a cell that holds none (every
// character of the set is outside ASCII, so '_' cannot be one of them).
struct Jis0208Row {
    uint8_t row;
    const char8_t* cells;
};

// The rows that hold characters, in order (generated: jis0208_table.cpp).
extern const Jis0208Row kJis0208Rows[];
extern const size_t kJis0208RowCount;

}  // namespace jq::text
