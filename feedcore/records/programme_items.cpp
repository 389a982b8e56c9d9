// programme_items.cpp - programme description items: series, keyword codes, package IDs, category pairs, parental rating, content nibbles, actors, time shift, additional texts and icons (InfoTypes 1, 3-8, 18, 29, 30).
#include "aux_items.h"

namespace jq::records {

std::span<const AuxItemKind> programmeItemKinds() { return {}; }

}  // namespace jq::records
