// object_package.h - the data package of one object record (types 0x56 and
// 0xD7 by PAID, 0x57 by CAID): packet header = the identifier (be32) and the
// CRM (be16); data = the CRM again, then the object.
#pragma once

#include <cstdint>

#include "jqwrite.h"

namespace jq::write {

inline DataPackage objectPackage(uint8_t type, uint32_t id, uint16_t crm, const Bytes& object,
                                 uint16_t hostId = 2143) {
    DataPackage p;
    p.typeCode = type;
    p.hostId = hostId;
    p.packetHeader = {uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8),
                      uint8_t(id),       uint8_t(crm >> 8), uint8_t(crm)};
    p.plain.reserve(2 + object.size());
    p.plain.push_back(uint8_t(crm >> 8));
    p.plain.push_back(uint8_t(crm));
    for (const uint8_t b : object) p.plain.push_back(b);
    return p;
}

}  // namespace jq::write
