// status_text.cpp - the meanings of the system's status codes.
#include "status_text.h"

#include <cstdio>

namespace jqtool {
namespace {

const char* meaning(uint32_t status) {
    switch (status) {
    case 0: return "success";
    case 16: return "exception in the decoder, or no key-parameter package in the file";
    case 17: return "a required argument is null, or a package has no payload bytes";
    case 18: return "the data file cannot be opened";
    case 19: return "empty file, failed or short read, invalid file header or container size";
    case 21: return "wrong format, short packet header, or record type without parser";
    case 22: return "argument out of range or buffer too small";
    case 23: return "feedcore missing or incomplete";
    case 0x8001: return "decryption refused: payload chunk length or no key parameters";
    case 0x8002: return "decompression failed or inflated size wrong";
    case 0x8003: return "package checksum mismatch";
    case 4097: return "not initialised";
    case 4099: return "nothing found";
    default: break;
    }
    if ((status & 0xFF00) == 0xC000 && status <= 0xC0FF) return "inconsistent record content";
    return "unknown status";
}

}  // namespace

std::string describeStatus(uint32_t status) {
    char text[160];
    if ((status & 0xFF00) == 0xC000 && status <= 0xC0FF) {
        std::snprintf(text, sizeof text, "0x%04X (%s of type 0x%02X)", status, meaning(status),
                      status & 0xFF);
    } else {
        std::snprintf(text, sizeof text, "%u (%s)", status, meaning(status));
    }
    return text;
}

}  // namespace jqtool
