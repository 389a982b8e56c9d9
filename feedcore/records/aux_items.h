// aux_items.h - the auxiliary items of a schedule item: how each InfoType's
// payload is decoded, written as CSV and released.
//
// A decoder reads exactly the item's InfoSize payload bytes (never past
// them), allocates its record into the item's slot and returns 0,
// kAuxItemError (payload empty or shorter than its fields) or 16 (a text's
// conversion pass failed). On failure the slot may be partly filled; the
// caller releases the item.
#pragma once

#include <cstdint>
#include <span>

#include "byte_reader.h"
#include "csv.h"
#include "feedcore.h"

namespace jq::records {

// The status of a malformed auxiliary item, for all three schedule types.
inline constexpr JQStatus kAuxItemError = JQ_ERR_RECORD_BASE + 0x51;

struct AuxItemKind {
    uint8_t infoType;
    JQStatus (*decode)(ByteView payload, AuxInfo& item);
    // The payload's lines, after the item's two header lines. Called only
    // when the item's slot is filled.
    void (*write)(const AuxInfo& item, CsvFile& out);
    // Frees the item's slot and everything it owns, and nulls it.
    void (*release)(AuxInfo& item);
    // True when the item's slot is filled.
    bool (*present)(const AuxInfo& item);
};

// The kind of an InfoType; null for types that are skipped.
const AuxItemKind* findAuxItemKind(uint8_t infoType);

// Frees whatever payload the item holds.
void releaseAuxPayload(AuxInfo& item);

// Each unit's kinds (programme description, components and access control,
// data broadcasting and event relations).
std::span<const AuxItemKind> programmeItemKinds();
std::span<const AuxItemKind> componentItemKinds();
std::span<const AuxItemKind> dataEventItemKinds();

}  // namespace jq::records
