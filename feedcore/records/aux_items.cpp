// aux_items.cpp - the InfoType table over the three item units.
#include "aux_items.h"

namespace jq::records {

const AuxItemKind* findAuxItemKind(uint8_t infoType) {
    for (auto kinds : {programmeItemKinds(), componentItemKinds(), dataEventItemKinds()}) {
        for (const AuxItemKind& kind : kinds) {
            if (kind.infoType == infoType) return &kind;
        }
    }
    return nullptr;
}

void releaseAuxPayload(AuxInfo& item) {
    if (const AuxItemKind* kind = findAuxItemKind(item.InfoType)) kind->release(item);
}

}  // namespace jq::records
