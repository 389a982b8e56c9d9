// data_event_items.cpp - data-broadcast and event-relation items: data contents, event groups and EIT versions (InfoTypes 25, 27, 28).
#include "aux_items.h"

namespace jq::records {

std::span<const AuxItemKind> dataEventItemKinds() { return {}; }

}  // namespace jq::records
