// component_items.cpp - component and access-control items: video and audio components, copy control, conditional access and component groups (InfoTypes 20-24).
#include "aux_items.h"

namespace jq::records {

std::span<const AuxItemKind> componentItemKinds() { return {}; }

}  // namespace jq::records
